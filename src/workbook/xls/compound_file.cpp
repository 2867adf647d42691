#include "workbook/xls/compound_file.h"

#include "app/atomic_file.h"
#include "workbook/huge_pages.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <mutex>

namespace rowbit::xls {

namespace {

void quietLog(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// libgsf warns on stderr about every oddity of a damaged file; the caller gets an Error
// instead, so the warnings are silenced once.
void initGsf() {
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        g_log_set_handler("libgsf:msole",
                          static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE |
                                                      G_LOG_LEVEL_INFO | G_LOG_LEVEL_DEBUG |
                                                      G_LOG_LEVEL_CRITICAL),
                          quietLog, nullptr);
        g_log_set_handler("libgsf",
                          static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE |
                                                      G_LOG_LEVEL_INFO | G_LOG_LEVEL_DEBUG |
                                                      G_LOG_LEVEL_CRITICAL),
                          quietLog, nullptr);
        g_log_set_handler(nullptr,
                          static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE |
                                                      G_LOG_LEVEL_INFO | G_LOG_LEVEL_DEBUG),
                          quietLog, nullptr);
        g_log_set_handler("GLib-GObject",
                          static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL),
                          quietLog, nullptr);
    });
}

std::string lowerAscii(std::string s) {
    for (char& ch : s)
        ch = (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
    return s;
}

template <class T>
struct GRef {
    T* p = nullptr;
    GRef() = default;
    explicit GRef(T* q) : p(q) {}
    GRef(const GRef&) = delete;
    GRef& operator=(const GRef&) = delete;
    ~GRef() {
        if (p)
            g_object_unref(p);
    }
};

struct ReadState {
    std::size_t total = 0;
    int entries = 0;
};

Result<void> readStream(GsfInput* in, std::vector<uint8_t>& out, ReadState& state,
                        const std::string& where) {
    const gsf_off_t size = gsf_input_size(in);
    if (size < 0 || static_cast<std::size_t>(size) > kMaxCompoundBytes - state.total)
        return makeError(ErrorCode::Limit, "a stream of the compound file is too large", where);
    state.total += static_cast<std::size_t>(size);
    // Read without a buffer of ours, the library hands out its own bytes (the file's, where
    // the stream's sectors lie in a row): copied once, into room that is never zeroed first.
    out.clear();
    out.reserve(static_cast<std::size_t>(size));
    adviseHugePages(out.data(), out.capacity());
    while (out.size() < static_cast<std::size_t>(size)) {
        const std::size_t n =
            std::min<std::size_t>(static_cast<std::size_t>(size) - out.size(), 1 << 20);
        const guint8* bytes = gsf_input_read(in, n, nullptr);
        if (!bytes)
            return makeError(ErrorCode::Damaged, "a stream of the compound file cannot be read",
                             where);
        out.insert(out.end(), bytes, bytes + n);
    }
    return {};
}

Result<void> readStorage(GsfInfile* dir, CompoundEntry& into, ReadState& state, int depth,
                         const std::string& where) {
    if (depth > 32)
        return makeError(ErrorCode::Damaged, "the compound file's storages nest too deep", where);
    if (GSF_IS_INFILE_MSOLE(dir))
        gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(dir), into.classId.data());
    const int n = gsf_infile_num_children(dir);
    for (int i = 0; i < n; ++i) {
        if (++state.entries > 100000)
            return makeError(ErrorCode::Limit, "the compound file has too many entries", where);
        GRef<GsfInput> child(gsf_infile_child_by_index(dir, i));
        if (!child.p)
            return makeError(ErrorCode::Damaged, "an entry of the compound file cannot be opened",
                             where);
        CompoundEntry entry;
        const char* name = gsf_infile_name_by_index(dir, i);
        entry.name = name ? name : "";
        if (GSF_IS_INFILE(child.p) && gsf_infile_num_children(GSF_INFILE(child.p)) >= 0) {
            entry.storage = true;
            if (auto r = readStorage(GSF_INFILE(child.p), entry, state, depth + 1,
                                     where + "/" + entry.name);
                !r)
                return r;
        } else if (auto r = readStream(child.p, entry.data, state, where + "/" + entry.name); !r) {
            return r;
        }
        into.children.push_back(std::move(entry));
    }
    return {};
}

Result<void> writeEntry(GsfOutfile* dir, const CompoundEntry& entry) {
    GRef<GsfOutput> child(gsf_outfile_new_child(dir, entry.name.c_str(), entry.storage));
    if (!child.p)
        return makeError(ErrorCode::Io, "cannot add an entry to the compound file", entry.name);
    if (entry.storage) {
        static constexpr std::array<uint8_t, 16> noClass{};
        if (entry.classId != noClass && GSF_IS_OUTFILE_MSOLE(child.p))
            gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(child.p), entry.classId.data());
        for (const auto& c : entry.children) {
            if (auto r = writeEntry(GSF_OUTFILE(child.p), c); !r)
                return r;
        }
    } else if (!entry.data.empty() &&
               !gsf_output_write(child.p, entry.data.size(), entry.data.data())) {
        return makeError(ErrorCode::Io, "cannot write a stream of the compound file", entry.name);
    }
    if (!gsf_output_close(child.p))
        return makeError(ErrorCode::Io, "cannot write a stream of the compound file", entry.name);
    return {};
}

} // namespace

Result<CompoundFile> readCompoundFile(const uint8_t* data, std::size_t size,
                                      const std::string& where) {
    initGsf();
    GRef<GsfInput> input(gsf_input_memory_new(data, static_cast<gsf_off_t>(size), FALSE));
    if (!input.p)
        return makeError(ErrorCode::Damaged, "the compound file cannot be opened", where);
    GError* err = nullptr;
    GRef<GsfInfile> ole(gsf_infile_msole_new(input.p, &err));
    if (!ole.p) {
        std::string msg = "the compound file is damaged";
        if (err) {
            msg += std::string(": ") + err->message;
            g_error_free(err);
        }
        return makeError(ErrorCode::Damaged, msg, where);
    }
    CompoundFile file;
    ReadState state;
    if (auto r = readStorage(ole.p, file.root, state, 0, where); !r)
        return r.error();

    // "Workbook" holds BIFF8; "Book" usually an older version, but some writers put BIFF8
    // there too. Either is taken, and the BOF record's version decides.
    auto& kids = file.root.children;
    for (const char* wanted : {"workbook", "book"}) {
        for (auto it = kids.begin(); it != kids.end(); ++it) {
            if (!it->storage && lowerAscii(it->name) == wanted) {
                file.workbookName = it->name;
                file.workbook = std::move(it->data);
                kids.erase(it);
                return file;
            }
        }
    }
    for (const auto& e : kids) {
        if (e.name == "EncryptionInfo")
            return makeError(ErrorCode::Encrypted,
                             "the workbook is protected by a password (encrypted package)", where);
    }
    return makeError(ErrorCode::Unsupported, "the compound file holds no workbook stream", where);
}

Result<SavedFile> writeCompoundFile(const CompoundFile& file, const std::vector<uint8_t>& workbook,
                                    const std::string& path, const SaveExpectation& expected) {
    initGsf();
    // The container is put together in memory and written through the program's own atomic
    // file: libgsf's file output would leave its own temporary file behind on a crash, and
    // would lose the system's reason for a failed write.
    GRef<GsfOutput> sink(gsf_output_memory_new());
    if (!sink.p)
        return makeError(ErrorCode::Io, "cannot create the compound file", path);
    GRef<GsfOutfile> ole(gsf_outfile_msole_new(sink.p));
    if (!ole.p)
        return makeError(ErrorCode::Io, "cannot create the compound file", path);
    static constexpr std::array<uint8_t, 16> noClass{};
    if (file.root.classId != noClass)
        gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(ole.p), file.root.classId.data());

    CompoundEntry book;
    book.name = file.workbookName.empty() ? "Workbook" : file.workbookName;
    Result<void> result;
    {
        GRef<GsfOutput> child(gsf_outfile_new_child(ole.p, book.name.c_str(), FALSE));
        if (!child.p || !gsf_output_write(child.p, workbook.size(), workbook.data()) ||
            !gsf_output_close(child.p))
            result = makeError(ErrorCode::Io, "cannot write the workbook stream", path);
    }
    if (result) {
        for (const auto& c : file.root.children) {
            result = writeEntry(ole.p, c);
            if (!result)
                break;
        }
    }
    const bool closedOle = gsf_output_close(GSF_OUTPUT(ole.p));
    if (result && !closedOle)
        result = makeError(ErrorCode::Io, "cannot put the compound file together", path);
    if (!result)
        return result.error();
    const auto size = static_cast<std::size_t>(gsf_output_size(sink.p));
    const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.p));
    if (size > 0 && !bytes)
        return makeError(ErrorCode::Io, "cannot put the compound file together", path);
    // The workbook is held in memory whole: it reads nothing more from the file it came from.
    return saveGuarded(path, expected, [&](OutputFile& out) { return out.write(bytes, size); });
}

} // namespace rowbit::xls
