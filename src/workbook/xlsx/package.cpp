#include "workbook/xlsx/package.h"

#include "app/atomic_file.h"
#include "app/parallel.h"
#include "workbook/xlsx/deflate.h"

#include <zip.h>

#include <algorithm>
#include <optional>

namespace rowbit::xlsx {

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

namespace {

std::string zipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

Error openError(int code, const std::string& where) {
    switch (code) {
    case ZIP_ER_NOZIP:
    case ZIP_ER_INCONS:
        return makeError(ErrorCode::Damaged, "the zip package is damaged: " + zipErrorText(code),
                         where);
    case ZIP_ER_MEMORY:
        return makeError(ErrorCode::Limit, "not enough memory to open the package", where);
    case ZIP_ER_NOENT:
        return makeError(ErrorCode::NotFound, "the file does not exist", where);
    default:
        return makeError(ErrorCode::Io, "cannot open the zip package: " + zipErrorText(code),
                         where);
    }
}

Error entryError(zip_t* archive, const std::string& where) {
    const int code = zip_error_code_zip(zip_get_error(archive));
    if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_ENCRNOTSUPP)
        return makeError(ErrorCode::Encrypted, "the package's parts are encrypted", where);
    if (code == ZIP_ER_COMPNOTSUPP)
        return makeError(ErrorCode::Unsupported, "a part uses an unknown compression method",
                         where);
    return makeError(ErrorCode::Damaged,
                     std::string("a part cannot be inflated: ") +
                         zip_error_strerror(zip_get_error(archive)),
                     where);
}

} // namespace

Package::~Package() {
    if (zip_)
        zip_discard(zip_);
}

Result<std::unique_ptr<Package>> Package::open(const std::string& path) {
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (!archive)
        return openError(code, path);
    std::unique_ptr<Package> pkg(new Package());
    pkg->zip_ = archive;
    pkg->where_ = path;
    if (auto r = pkg->index(); !r)
        return r.error();
    return pkg;
}

Result<std::unique_ptr<Package>> Package::openMemory(std::string bytes) {
    std::unique_ptr<Package> pkg(new Package());
    pkg->memory_ = std::move(bytes);
    pkg->where_ = "(memory)";
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src =
        zip_source_buffer_create(pkg->memory_.data(), pkg->memory_.size(), 0, &error);
    if (!src) {
        zip_error_fini(&error);
        return makeError(ErrorCode::Limit, "not enough memory to open the package");
    }
    zip_t* archive = zip_open_from_source(src, ZIP_RDONLY, &error);
    if (!archive) {
        const int code = zip_error_code_zip(&error);
        zip_source_free(src);
        zip_error_fini(&error);
        return openError(code, pkg->where_);
    }
    zip_error_fini(&error);
    pkg->zip_ = archive;
    if (auto r = pkg->index(); !r)
        return r.error();
    return pkg;
}

std::unique_ptr<Package>
Package::fromParts(std::vector<std::pair<std::string, std::string>> parts) {
    std::unique_ptr<Package> pkg(new Package());
    pkg->where_ = "(new workbook)";
    for (auto& [name, bytes] : parts) {
        Entry e;
        e.name = name;
        e.size = bytes.size();
        e.compressedSize = bytes.size();
        e.bytes = std::move(bytes);
        pkg->byName_.emplace(lowerAscii(e.name), static_cast<int>(pkg->entries_.size()));
        pkg->entries_.push_back(std::move(e));
    }
    return pkg;
}

Result<void> Package::index() {
    const zip_int64_t count = zip_get_num_entries(zip_, 0);
    if (count < 0)
        return makeError(ErrorCode::Damaged, "the zip directory cannot be read", where_);
    if (static_cast<std::uint64_t>(count) > limits_.entries)
        return makeError(ErrorCode::Limit,
                         "the package holds too many parts (" + std::to_string(count) + ")",
                         where_);
    entries_.reserve(static_cast<std::size_t>(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(zip_, static_cast<zip_uint64_t>(i), 0, &st) != 0 || !st.name)
            return makeError(ErrorCode::Damaged,
                             "zip directory entry " + std::to_string(i) + " cannot be read",
                             where_);
        Entry e;
        e.name = st.name;
        e.zipIndex = i;
        e.size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
        e.compressedSize = (st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : 0;
        e.directory = !e.name.empty() && e.name.back() == '/';
        e.deflated = (st.valid & ZIP_STAT_COMP_METHOD) && st.comp_method == ZIP_CM_DEFLATE &&
                     (st.valid & ZIP_STAT_CRC) && (st.valid & ZIP_STAT_ENCRYPTION_METHOD) &&
                     st.encryption_method == ZIP_EM_NONE;
        e.crc = st.crc;
        std::string key = lowerAscii(e.name);
        if (!key.empty() && key.front() == '/')
            key.erase(0, 1);
        // Two parts of one name would let programs disagree about which one the file holds.
        if (!e.directory &&
            !byName_.emplace(std::move(key), static_cast<int>(entries_.size())).second)
            return makeError(ErrorCode::Damaged, "the package holds two parts named " + e.name,
                             where_);
        entries_.push_back(std::move(e));
    }
    return {};
}

int Package::find(std::string_view name) const {
    if (!name.empty() && name.front() == '/')
        name.remove_prefix(1);
    const auto it = byName_.find(lowerAscii(name));
    return it == byName_.end() ? -1 : it->second;
}

Result<void> Package::checkSize(const Entry& e, std::uint64_t limit) const {
    const std::string where = where_ + ": " + e.name;
    if (e.size > limit)
        return makeError(ErrorCode::Limit,
                         "a part is too large to read (" + std::to_string(e.size) + " bytes)",
                         where);
    if (e.zipIndex >= 0 && e.size > (64u << 20) &&
        e.size / std::max<std::uint64_t>(e.compressedSize, 1) > limits_.ratio)
        return makeError(ErrorCode::Limit, "a part inflates implausibly far (a zip bomb?)", where);
    return {};
}

Result<std::string> Package::read(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size())
        return makeError(ErrorCode::NotFound, "no such part", where_);
    const Entry& e = entries_[static_cast<std::size_t>(index)];
    if (e.zipIndex < 0)
        return e.bytes;
    if (auto r = checkSize(e, limits_.smallPart); !r)
        return r.error();
    const std::string where = where_ + ": " + e.name;
    zip_file_t* file = zip_fopen_index(zip_, static_cast<zip_uint64_t>(e.zipIndex), 0);
    if (!file)
        return entryError(zip_, where);
    std::string out;
    out.resize(static_cast<std::size_t>(e.size) + 1);
    std::size_t got = 0;
    while (true) {
        if (got == out.size()) {
            zip_fclose(file);
            return makeError(ErrorCode::Damaged, "a part is larger than its directory says", where);
        }
        const zip_int64_t n = zip_fread(file, out.data() + got, out.size() - got);
        if (n < 0) {
            Error err = makeError(ErrorCode::Damaged,
                                  std::string("a part cannot be inflated: ") +
                                      zip_error_strerror(zip_file_get_error(file)),
                                  where);
            zip_fclose(file);
            return err;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    zip_fclose(file);
    out.resize(got);
    return out;
}

Result<void> Package::stream(int index, const Sink& sink) const {
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size())
        return makeError(ErrorCode::NotFound, "no such part", where_);
    const Entry& e = entries_[static_cast<std::size_t>(index)];
    if (e.zipIndex < 0) {
        if (auto r = sink(e.bytes.data(), e.bytes.size()); !r)
            return r;
        return sink(nullptr, 0);
    }
    if (auto r = checkSize(e, limits_.bigPart); !r)
        return r;
    const std::string where = where_ + ": " + e.name;
    auto reader = openPart(index);
    if (!reader)
        return reader.error();

    // Inflating and scanning take about as long as each other: overlap them. One thread
    // inflates the chunks in turn, a few ahead of the sink; their buffers go round.
    constexpr std::size_t chunkSize = 2u << 20;
    constexpr std::size_t inFlight = 4;
    struct Chunk {
        std::unique_ptr<char[]> data;
        std::size_t size = 0; // 0: the part has ended, or failed
        std::optional<Error> failure;
    };
    bool ended = false; // only the inflating step reads and sets it
    auto inflate = [&](Chunk& chunk, std::size_t) {
        chunk.size = 0;
        if (ended)
            return;
        if (!chunk.data)
            chunk.data.reset(new char[chunkSize]);
        auto n = (*reader)->read(chunk.data.get(), chunkSize);
        if (!n) {
            chunk.failure = n.error();
            ended = true;
        } else if (*n == 0) {
            ended = true;
        } else {
            chunk.size = *n;
        }
    };
    OrderedWorkers<Chunk> inflating(1, {.inOrder = inflate, .run = {}});
    for (std::size_t i = 0; i < inFlight; ++i)
        inflating.submit(std::make_unique<Chunk>());

    Result<void> result;
    while (true) {
        std::unique_ptr<Chunk> chunk = inflating.takeFinished(true);
        if (chunk->failure) {
            if (chunk->failure->where.empty())
                chunk->failure->where = where;
            result = *chunk->failure;
        }
        if (chunk->size == 0)
            break;
        result = sink(chunk->data.get(), chunk->size);
        if (!result.ok())
            break;
        inflating.submit(std::move(chunk));
    }
    if (result.ok())
        return sink(nullptr, 0);
    return result;
}

namespace {

class ZipPartReader : public Package::PartReader {
public:
    ZipPartReader(zip_file_t* file, std::uint64_t declared) : file_(file), left_(declared) {}
    ~ZipPartReader() override { zip_fclose(file_); }
    Result<std::size_t> read(char* buffer, std::size_t size) override {
        const zip_int64_t n = zip_fread(file_, buffer, size);
        if (n < 0)
            return makeError(ErrorCode::Damaged, std::string("a part cannot be inflated: ") +
                                                     zip_error_strerror(zip_file_get_error(file_)));
        if (static_cast<std::uint64_t>(n) > left_)
            return makeError(ErrorCode::Damaged, "a part is larger than its directory says");
        left_ -= static_cast<std::uint64_t>(n);
        return static_cast<std::size_t>(n);
    }

private:
    zip_file_t* file_;
    std::uint64_t left_;
};

// A deflated part, inflated by the fast library from the compressed bytes libzip hands over:
// two to three times as fast as libzip's own inflating. The size and CRC-32 are checked here.
class InflatingPartReader : public Package::PartReader {
public:
    InflatingPartReader(zip_file_t* file, const Package::Entry& e)
        : file_(file),
          inflater_(
              [file](char* buffer, std::size_t size) -> Result<std::size_t> {
                  const zip_int64_t n = zip_fread(file, buffer, size);
                  if (n < 0)
                      return makeError(ErrorCode::Damaged,
                                       std::string("a part cannot be read: ") +
                                           zip_error_strerror(zip_file_get_error(file)));
                  return static_cast<std::size_t>(n);
              },
              e.size, e.crc) {}
    ~InflatingPartReader() override { zip_fclose(file_); }
    Result<std::size_t> read(char* buffer, std::size_t size) override {
        return inflater_.read(buffer, size);
    }

private:
    zip_file_t* file_;
    Inflater inflater_;
};

class MemoryPartReader : public Package::PartReader {
public:
    explicit MemoryPartReader(std::string_view bytes) : bytes_(bytes) {}
    Result<std::size_t> read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min(size, bytes_.size());
        std::copy_n(bytes_.data(), n, buffer);
        bytes_.remove_prefix(n);
        return n;
    }

private:
    std::string_view bytes_;
};

} // namespace

Result<std::unique_ptr<Package::PartReader>> Package::openPart(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size())
        return makeError(ErrorCode::NotFound, "no such part", where_);
    const Entry& e = entries_[static_cast<std::size_t>(index)];
    if (e.zipIndex < 0)
        return std::unique_ptr<PartReader>(new MemoryPartReader(e.bytes));
    const zip_flags_t flags = e.deflated ? ZIP_FL_COMPRESSED : 0;
    zip_file_t* file = zip_fopen_index(zip_, static_cast<zip_uint64_t>(e.zipIndex), flags);
    if (!file)
        return entryError(zip_, where_ + ": " + e.name);
    if (e.deflated)
        return std::unique_ptr<PartReader>(new InflatingPartReader(file, e));
    return std::unique_ptr<PartReader>(new ZipPartReader(file, e.size));
}

namespace {

// What a part written from a producer ran into, for the error of the whole write.
// A part whose bytes a producer makes while libzip writes it. Small ones libzip deflates
// itself; a big one (with a deflater) is deflated here in pieces on several threads and handed
// to libzip already compressed: libzip stores it as it is, and learns its size and CRC-32 when
// it asks after the end.
struct PartSource {
    PartSource(Package::OutPart& of, std::optional<unsigned> deflateThreads) : part(of) {
        if (deflateThreads)
            deflater.emplace(std::move(of.producer), *deflateThreads);
    }
    Result<std::size_t> read(char* data, std::size_t len) {
        return deflater ? deflater->read(data, len) : part.producer(data, len);
    }
    Package::OutPart& part;
    std::optional<ParallelDeflater> deflater;
    std::optional<Error> failure;
};

zip_int64_t partSource(void* userdata, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    auto* state = static_cast<PartSource*>(userdata);
    switch (cmd) {
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_READ: {
        auto n = state->read(static_cast<char*>(data), static_cast<std::size_t>(len));
        if (!n) {
            state->failure = n.error();
            return -1;
        }
        return static_cast<zip_int64_t>(*n);
    }
    case ZIP_SOURCE_STAT: {
        auto* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        if (const auto& deflater = state->deflater) {
            st->valid = ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
            st->comp_method = ZIP_CM_DEFLATE;
            st->encryption_method = ZIP_EM_NONE;
            if (deflater->ended()) {
                st->valid |= ZIP_STAT_SIZE | ZIP_STAT_CRC;
                st->size = deflater->size();
                st->crc = deflater->crc();
            }
        }
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR: {
        auto* codes = static_cast<int*>(data);
        codes[0] = ZIP_ER_READ;
        codes[1] = 0;
        return 2 * sizeof(int);
    }
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                              -1);
    default:
        return -1;
    }
}

// The zip writer's destination: the atomic file's temporary file. libzip writes a local
// header, the data, then goes back to finish the header, so writes carry their position.
struct FileSink {
    OutputFile* file = nullptr;
    std::uint64_t pos = 0;
    std::optional<Error> failure;
    zip_error_t error{};
};

zip_int64_t toFile(void* userdata, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    auto* sink = static_cast<FileSink*>(userdata);
    switch (cmd) {
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
    case ZIP_SOURCE_BEGIN_WRITE:
    case ZIP_SOURCE_COMMIT_WRITE:
    case ZIP_SOURCE_ROLLBACK_WRITE:
    case ZIP_SOURCE_REMOVE:
        return 0;
    case ZIP_SOURCE_READ:
        return 0; // a new archive: nothing to read
    case ZIP_SOURCE_STAT: {
        auto* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        st->valid = ZIP_STAT_SIZE;
        st->size = 0;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_WRITE: {
        auto r = sink->file->writeAt(sink->pos, data, static_cast<std::size_t>(len));
        if (!r) {
            sink->failure = r.error();
            zip_error_set(&sink->error, ZIP_ER_WRITE, 0);
            return -1;
        }
        sink->pos += len;
        return static_cast<zip_int64_t>(len);
    }
    case ZIP_SOURCE_SEEK_WRITE: {
        const zip_int64_t at =
            zip_source_seek_compute_offset(sink->pos, sink->file->size(), data, len, &sink->error);
        if (at < 0)
            return -1;
        sink->pos = static_cast<std::uint64_t>(at);
        return 0;
    }
    case ZIP_SOURCE_TELL_WRITE:
        return static_cast<zip_int64_t>(sink->pos);
    case ZIP_SOURCE_SEEK:
    case ZIP_SOURCE_TELL:
        return 0;
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&sink->error, data, len);
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(
            ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR,
            ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_SUPPORTS,
            ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_COMMIT_WRITE, ZIP_SOURCE_ROLLBACK_WRITE,
            ZIP_SOURCE_WRITE, ZIP_SOURCE_SEEK_WRITE, ZIP_SOURCE_TELL_WRITE, ZIP_SOURCE_REMOVE, -1);
    default:
        zip_error_set(&sink->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

} // namespace

Result<SavedFile> Package::write(const std::string& path, std::vector<OutPart>& parts,
                                 const SaveExpectation& expected) {
    if (lostSource_)
        return makeError(ErrorCode::Io,
                         "the workbook's file was rewritten in place and its old content could "
                         "not be read again; open the workbook anew",
                         path);
    return saveGuarded(
        path, expected, [&](OutputFile& file) { return write(file, parts); },
        [this](const std::string& copy) { readFrom(copy); });
}

void Package::readFrom(const std::string& copy) {
    if (!zip_ || !memory_.empty())
        return; // nothing is read from a file
    int code = 0;
    zip_t* archive = zip_open(copy.c_str(), ZIP_RDONLY, &code);
    if (!archive || zip_get_num_entries(archive, 0) != zip_get_num_entries(zip_, 0)) {
        if (archive)
            zip_discard(archive);
        lostSource_ = true;
        return;
    }
    // The copy's name goes away after this; the archive keeps the file open.
    zip_discard(zip_);
    zip_ = archive;
}

Result<void> Package::write(OutputFile& file, std::vector<OutPart>& parts) const {
    const std::string& path = file.path();
    FileSink sink;
    sink.file = &file;
    zip_error_init(&sink.error);
    zip_error_t openError;
    zip_error_init(&openError);
    zip_source_t* dest = zip_source_function_create(toFile, &sink, &openError);
    zip_t* out = dest ? zip_open_from_source(dest, ZIP_CREATE | ZIP_TRUNCATE, &openError) : nullptr;
    if (!out) {
        std::string text = zip_error_strerror(&openError);
        zip_error_fini(&openError);
        if (dest)
            zip_source_free(dest);
        return makeError(ErrorCode::Io, "cannot create the package: " + text, path);
    }
    zip_error_fini(&openError);
    std::vector<std::unique_ptr<PartSource>> sources;
    auto fail = [&](const std::string& what) -> Result<void> {
        std::string text = what + ": " + zip_error_strerror(zip_get_error(out));
        zip_discard(out);
        return makeError(ErrorCode::Io, text, path);
    };
    for (OutPart& part : parts) {
        zip_source_t* src = nullptr;
        bool compressed = false; // deflated here, not by libzip
        const Entry* from =
            part.copyOf >= 0 ? &entries_[static_cast<std::size_t>(part.copyOf)] : nullptr;
        if (from && from->directory) {
            std::string dir = part.name;
            if (!dir.empty() && dir.back() == '/')
                dir.pop_back();
            if (zip_dir_add(out, dir.c_str(), ZIP_FL_ENC_UTF_8) < 0)
                return fail("cannot add the folder " + part.name);
            continue;
        }
        if (from && from->zipIndex >= 0) {
            // Still compressed: the part's bytes travel unchanged.
            src = zip_source_zip(out, zip_, static_cast<zip_uint64_t>(from->zipIndex),
                                 ZIP_FL_COMPRESSED, 0, -1);
        } else if (from) {
            src = zip_source_buffer(out, from->bytes.data(), from->bytes.size(), 0);
        } else if (part.producer) {
            compressed = part.fast;
            sources.push_back(std::make_unique<PartSource>(
                part, part.fast ? std::optional<unsigned>(part.ahead ? workerCount() : 0)
                                : std::nullopt));
            src = zip_source_function(out, partSource, sources.back().get());
        } else {
            src = zip_source_buffer(out, part.bytes.data(), part.bytes.size(), 0);
        }
        if (!src)
            return fail("cannot prepare the part " + part.name);
        const zip_int64_t idx = zip_file_add(out, part.name.c_str(), src, ZIP_FL_ENC_UTF_8);
        if (idx < 0) {
            zip_source_free(src);
            return fail("cannot add the part " + part.name);
        }
        if (!(from && from->zipIndex >= 0) && !compressed)
            zip_set_file_compression(out, static_cast<zip_uint64_t>(idx), ZIP_CM_DEFLATE,
                                     part.fast ? 1 : 6);
    }
    if (zip_close(out) != 0) {
        std::string text = zip_error_strerror(zip_get_error(out));
        for (const auto& s : sources) {
            if (s->failure)
                text = s->failure->describe();
        }
        zip_discard(out);
        if (sink.failure)
            return *sink.failure; // the system's reason, from the file itself
        return makeError(ErrorCode::Io, "cannot write the package: " + text, path);
    }
    return {};
}

} // namespace rowbit::xlsx
