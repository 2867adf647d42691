#include "workbook/xlsx/xlsx_book.h"

#include "workbook/xlsx/opc.h"
#include "workbook/xlsx/package.h"
#include "workbook/xlsx/scan_part.h"
#include "workbook/xlsx/sheet.h"
#include "workbook/xlsx/sheet_anchors.h"
#include "workbook/xlsx/xml_scan.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <set>
#include <unordered_map>
#include <utility>

namespace rowbit::xlsx {

namespace {

constexpr const char* strictMain = "http://purl.oclc.org/ooxml/spreadsheetml/main";
constexpr const char* strictRel = "http://purl.oclc.org/ooxml/officeDocument/relationships";
constexpr const char* worksheetType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
constexpr const char* sharedStringsType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml";
constexpr const char* stylesType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";
constexpr const char* plainMainType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
constexpr const char* macroMainType = "application/vnd.ms-excel.sheet.macroEnabled.main+xml";

// Reads the shared string table in one streamed pass, remembering where its root element
// starts and ends so that new strings can later be spliced in without touching the old ones.
class SharedStringsReader {
public:
    explicit SharedStringsReader(SharedStrings& strings) : strings_(strings) {}
    std::string error;

    std::uint64_t rootOffset = 0, rootEnd = 0, closeOffset = 0;
    std::string rootName, rootAttrs;
    bool selfClosing = false;

    bool onToken(const xml::Token& t, std::uint64_t offset) {
        if (!sawRoot_) {
            if (t.kind == xml::Token::Start || t.kind == xml::Token::Empty) {
                sawRoot_ = true;
                rootOffset = offset;
                rootEnd = offset + t.raw.size();
                rootName = std::string(t.name);
                rootAttrs = std::string(t.attrs);
                if (t.kind == xml::Token::Empty) {
                    selfClosing = true;
                    closed_ = true;
                    closeOffset = rootEnd;
                }
            } else if (t.kind == xml::Token::End || t.kind == xml::Token::CData ||
                       (t.kind == xml::Token::Text &&
                        t.text.find_first_not_of(" \t\r\n") != std::string_view::npos)) {
                return fail("the shared strings part does not start with an element");
            }
            return true;
        }
        if (closed_)
            return true;
        switch (t.kind) {
        case xml::Token::Start:
        case xml::Token::Empty: {
            const std::string_view local = xml::localName(t.name);
            const bool open = t.kind == xml::Token::Start;
            if (depth_ == 0) {
                if (local == "si") {
                    text_.clear();
                    phonetic_ = 0;
                    inT_ = false;
                    if (!open)
                        return add();
                    inSi_ = true;
                }
            } else if (inSi_ && open) {
                if (local == "rPh" || local == "phoneticPr")
                    ++phonetic_;
                else if (local == "t" && phonetic_ == 0)
                    inT_ = true;
            }
            if (open)
                ++depth_;
            return true;
        }
        case xml::Token::End: {
            if (depth_ == 0) {
                closed_ = true;
                closeOffset = offset;
                return true;
            }
            --depth_;
            const std::string_view local = xml::localName(t.name);
            if (depth_ == 0 && inSi_) {
                inSi_ = false;
                return add();
            }
            if (local == "rPh" || local == "phoneticPr")
                --phonetic_;
            else if (local == "t")
                inT_ = false;
            return true;
        }
        case xml::Token::Text:
            if (inT_ && !xml::appendDecoded(text_, t.text))
                return fail("a shared string holds an unknown entity");
            return true;
        case xml::Token::CData:
            if (inT_)
                text_.append(t.text);
            return true;
        default:
            return true;
        }
    }

    bool finish() {
        if (!closed_)
            return fail("the shared strings part is cut short");
        return true;
    }

private:
    bool fail(std::string text) {
        error = std::move(text);
        return false;
    }
    bool add() {
        if (strings_.size() >= 100'000'000)
            return fail("the shared string table holds too many items");
        const bool ok = text_.find("_x") == std::string::npos
                            ? strings_.append(text_)
                            : strings_.append(xml::decodeEscapes(text_));
        return ok || fail("the shared string table is too large");
    }

    SharedStrings& strings_;
    bool sawRoot_ = false;
    bool closed_ = false;
    int depth_ = 0;
    bool inSi_ = false;
    int phonetic_ = 0;
    bool inT_ = false;
    std::string text_;
};

void appendSharedItem(std::string& out, std::string_view text, const std::string& prefix) {
    out += '<' + prefix + "si><" + prefix + "t xml:space=\"preserve\">";
    xml::appendCellText(out, text);
    out += "</" + prefix + "t></" + prefix + "si>";
}

std::string elementName(pugi::xml_node like, const char* local) {
    const std::string name = like ? like.name() : "";
    const auto colon = name.find(':');
    return colon == std::string::npos ? std::string(local) : name.substr(0, colon + 1) + local;
}

int toInt(const char* text, int fallback) {
    int v = fallback;
    auto [p, ec] = std::from_chars(text, text + std::strlen(text), v);
    return ec == std::errc() ? v : fallback;
}

} // namespace

class XlsxBook final : public Book {
public:
    XlsxBook() {
        ctx_.rowsMoved = [this](XlsxSheet& sheet, const RowMap& map) {
            followMovedRows(sheet, map);
        };
    }
    XlsxBook(const XlsxBook&) = delete; // the context's callback points here
    XlsxBook& operator=(const XlsxBook&) = delete;

    Result<void> load(std::unique_ptr<Package> package, const LoadOptions& options = {});

    BookFormat format() const override { return BookFormat::Xlsx; }
    int sheetCount() const override { return static_cast<int>(sheets_.size()); }
    Sheet* sheet(int index) override {
        return index >= 0 && index < sheetCount() ? sheets_[static_cast<std::size_t>(index)].get()
                                                  : nullptr;
    }
    const Sheet* sheet(int index) const override {
        return index >= 0 && index < sheetCount() ? sheets_[static_cast<std::size_t>(index)].get()
                                                  : nullptr;
    }
    Sheet* addSheet(std::string_view name) override;
    bool date1904() const override { return ctx_.date1904; }
    void setDefaultFont(std::string_view face, int size) override {
        ctx_.styles.setDefaultFont(face, size);
    }
    int dateFormat(int like) override { return ctx_.styles.dateFormat(like); }
    bool isDateFormat(int format) const override { return ctx_.styles.isDate(format); }
    using Book::save;
    Result<SavedFile> save(const std::string& path, const SaveExpectation& expected) override;
    std::vector<SaveNotice> takeNotices() override { return std::exchange(ctx_.notices, {}); }

private:
    // The steps of load, in order.
    template <class Parse>
    Result<bool> loadPart(const std::string& part, Parse parse);
    Result<void> loadContentTypes();
    Result<void> findMainParts();
    Result<void> loadWorkbookPart();
    Result<void> takeNamespaces(pugi::xml_node root);
    Result<std::vector<Relationship>> loadWorkbookRelationships();
    Result<void> loadStyles();
    std::uint64_t bigPartBytes(const std::vector<Relationship>& rels) const;
    Result<void> loadSharedStrings(PartProgress& progress);
    Result<void> loadSheets(const std::vector<Relationship>& rels, PartProgress& progress,
                            const LoadOptions& options);

    void followMovedRows(XlsxSheet& moved, const RowMap& map);
    void markFullRecalculation();
    Result<void> remapNoteParts(std::unordered_map<std::string, std::string>& rewritten) const;
    std::string contentTypeOf(const std::string& part) const;
    void addOverride(const std::string& part, const char* type);
    void removeOverride(const std::string& part);
    void matchMainTypeTo(const std::string& path);
    std::string addRelationship(const std::string& kind, const std::string& part);
    std::string newPartName(const std::string& folder, const std::string& stem) const;
    void syncNames();
    void updateAppTitles(const std::string& oldName, const std::string& newName, bool adding);
    Result<std::size_t> patchSharedStrings(char* buffer, std::size_t size);

    std::unique_ptr<Package> pkg_;
    BookContext ctx_;
    std::vector<std::unique_ptr<XlsxSheet>> sheets_;
    std::vector<std::string> savedNames_; // names as workbook.xml holds them
    std::vector<pugi::xml_node> sheetNodes_;

    pugi::xml_document types_, workbook_, rels_;
    bool typesChanged_ = false, workbookChanged_ = false, relsChanged_ = false;
    std::string workbookPart_, relsPart_;
    std::string relTypeBase_; // "http://.../relationships" of this package's flavour

    std::string stylesPart_;
    bool stylesNew_ = false;

    std::string sstPart_;
    bool sstNew_ = false;
    std::uint64_t sstRootOffset_ = 0, sstRootEnd_ = 0, sstClose_ = 0;
    std::string sstRootName_, sstRootAttrs_;
    bool sstSelfClosing_ = false;

    std::string calcChainPart_, calcChainRel_;
    std::set<std::string> dropped_; // lower-case part names left out when saving

    std::string appPart_;
    pugi::xml_document app_;
    bool appLoaded_ = false, appChanged_ = false;

    // State of the shared strings patch while a save streams it.
    struct SstPatch {
        std::unique_ptr<Package::PartReader> reader;
        std::uint64_t pos = 0;
        int phase = 0;
        std::string pending;
        std::size_t pendingPos = 0;
        std::size_t nextItem = 0;
    } patch_;
};

Result<void> XlsxBook::load(std::unique_ptr<Package> package, const LoadOptions& options) {
    pkg_ = std::move(package);
    if (auto r = loadContentTypes(); !r)
        return r;
    if (auto r = findMainParts(); !r)
        return r;
    if (auto r = loadWorkbookPart(); !r)
        return r;
    auto rels = loadWorkbookRelationships();
    if (!rels)
        return rels.error();
    if (auto r = loadStyles(); !r)
        return r;
    PartProgress partProgress(options.progress, bigPartBytes(*rels));
    if (auto r = loadSharedStrings(partProgress); !r)
        return r;
    if (auto r = loadSheets(*rels, partProgress, options); !r)
        return r;
    partProgress.finish();
    return {};
}

template <class Parse>
Result<bool> XlsxBook::loadPart(const std::string& part, Parse parse) {
    const int index = part.empty() ? -1 : pkg_->find(part);
    if (index < 0)
        return false;
    auto bytes = pkg_->read(index);
    if (!bytes)
        return bytes.error();
    if (auto r = parse(std::string_view(*bytes), pkg_->where() + ": " + part); !r)
        return r.error();
    return true;
}

Result<void> XlsxBook::loadContentTypes() {
    auto found =
        loadPart("[Content_Types].xml", [&](std::string_view bytes, const std::string& at) {
            return parseXml(types_, bytes, at);
        });
    if (!found)
        return found.error();
    if (!*found)
        return makeError(ErrorCode::Unsupported,
                         "the zip file is not an Office package (no [Content_Types].xml)",
                         pkg_->where());
    return {};
}

Result<void> XlsxBook::findMainParts() {
    std::vector<Relationship> rootRels;
    auto found = loadPart("_rels/.rels", [&](std::string_view bytes, const std::string& at) {
        auto parsed = parseRelationships(bytes, "", at);
        if (!parsed)
            return Result<void>(parsed.error());
        rootRels = std::move(*parsed);
        return Result<void>();
    });
    if (!found)
        return found.error();
    if (!*found)
        return makeError(ErrorCode::Damaged, "the package has no relationships (_rels/.rels)",
                         pkg_->where());
    for (const Relationship& rel : rootRels) {
        if (rel.external)
            continue;
        if (relIs(rel.type, "officeDocument") && workbookPart_.empty()) {
            workbookPart_ = rel.target;
            relTypeBase_ = rel.type.substr(0, rel.type.size() - std::strlen("/officeDocument"));
        } else if (relIs(rel.type, "extended-properties") && appPart_.empty()) {
            appPart_ = rel.target;
        }
    }
    if (workbookPart_.empty())
        return makeError(ErrorCode::Unsupported, "the package holds no main document",
                         pkg_->where());
    const std::string mainType = contentTypeOf(workbookPart_);
    if (mainType.find("wordprocessingml") != std::string::npos ||
        mainType.find("presentationml") != std::string::npos ||
        mainType.find("ms-word") != std::string::npos ||
        mainType.find("ms-powerpoint") != std::string::npos)
        return makeError(ErrorCode::Unsupported,
                         "the package is a text document or a presentation, not a workbook",
                         pkg_->where() + ": " + workbookPart_);
    return {};
}

Result<void> XlsxBook::loadWorkbookPart() {
    const std::string wbWhere = pkg_->where() + ": " + workbookPart_;
    auto found = loadPart(workbookPart_, [&](std::string_view bytes, const std::string& at) {
        return parseXml(workbook_, bytes, at);
    });
    if (!found)
        return found.error();
    if (!*found)
        return makeError(ErrorCode::Damaged, "the workbook part is missing", wbWhere);
    pugi::xml_node root = workbook_.document_element();
    if (localOf(root.name()) != "workbook")
        return makeError(ErrorCode::Unsupported, "the main part is not a workbook", wbWhere);
    if (auto r = takeNamespaces(root); !r)
        return r;
    if (pugi::xml_node pr = child(root, "workbookPr")) {
        const std::string_view v = attr(pr, "date1904").value();
        ctx_.date1904 = v == "1" || v == "true";
    }
    return {};
}

// The workbook names the flavour of its XML: the transitional namespaces or the strict ones,
// which the parts written back then use too.
Result<void> XlsxBook::takeNamespaces(pugi::xml_node root) {
    const std::string prefix(xml::prefixOf(root.name()));
    const std::string nsAttr =
        prefix.empty() ? "xmlns" : "xmlns:" + prefix.substr(0, prefix.size() - 1);
    const std::string ns = root.attribute(nsAttr.c_str()).value();
    if (ns != ctx_.mainNamespace && ns != strictMain)
        return makeError(ErrorCode::Unsupported,
                         "the workbook uses an unknown XML namespace (" + ns + ")",
                         pkg_->where() + ": " + workbookPart_);
    if (ns == strictMain || relTypeBase_ == strictRel) {
        ctx_.mainNamespace = strictMain;
        ctx_.relNamespace = strictRel;
    }
    if (relTypeBase_.empty())
        relTypeBase_ = ctx_.relNamespace;
    return {};
}

Result<std::vector<Relationship>> XlsxBook::loadWorkbookRelationships() {
    relsPart_ = relsPartFor(workbookPart_);
    std::vector<Relationship> rels;
    auto found = loadPart(relsPart_, [&](std::string_view bytes, const std::string& at) {
        if (auto r = parseXml(rels_, bytes, at); !r)
            return r;
        auto parsed = parseRelationships(bytes, workbookPart_, at);
        if (!parsed)
            return Result<void>(parsed.error());
        rels = std::move(*parsed);
        return Result<void>();
    });
    if (!found)
        return found.error();
    if (!*found) {
        rels_.load_string(("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                           "relationships\"/>"));
        relsChanged_ = true;
    }
    for (const Relationship& rel : rels) {
        if (rel.external)
            continue;
        if (relIs(rel.type, "styles") && stylesPart_.empty())
            stylesPart_ = rel.target;
        else if (relIs(rel.type, "sharedStrings") && sstPart_.empty())
            sstPart_ = rel.target;
        else if (relIs(rel.type, "calcChain") && calcChainPart_.empty()) {
            calcChainPart_ = rel.target;
            calcChainRel_ = rel.id;
        }
    }
    return rels;
}

Result<void> XlsxBook::loadStyles() {
    auto found = loadPart(stylesPart_, [&](std::string_view bytes, const std::string& at) {
        return ctx_.styles.load(bytes, at);
    });
    if (!found)
        return found.error();
    if (*found)
        return {};
    // No styles part: the default one is added if a format is ever needed.
    stylesPart_.clear();
    return ctx_.styles.load(Styles::defaultPart(ctx_.mainNamespace), "(default styles)");
}

// Progress counts the bytes of the big parts: the shared strings and the sheets.
std::uint64_t XlsxBook::bigPartBytes(const std::vector<Relationship>& rels) const {
    std::uint64_t bytes = 0;
    if (const int idx = sstPart_.empty() ? -1 : pkg_->find(sstPart_); idx >= 0)
        bytes += pkg_->entries()[static_cast<std::size_t>(idx)].size;
    for (const Relationship& rel : rels) {
        if (const int idx = rel.external ? -1 : pkg_->find(rel.target);
            idx >= 0 && relIs(rel.type, "worksheet"))
            bytes += pkg_->entries()[static_cast<std::size_t>(idx)].size;
    }
    return bytes;
}

Result<void> XlsxBook::loadSharedStrings(PartProgress& progress) {
    if (const int idx = sstPart_.empty() ? -1 : pkg_->find(sstPart_); idx >= 0) {
        SharedStringsReader reader(ctx_.strings);
        if (auto r = scanPart(*pkg_, idx, pkg_->where() + ": " + sstPart_, reader, &progress); !r)
            return r;
        sstRootOffset_ = reader.rootOffset;
        sstRootEnd_ = reader.rootEnd;
        sstClose_ = reader.closeOffset;
        sstRootName_ = reader.rootName;
        sstRootAttrs_ = reader.rootAttrs;
        sstSelfClosing_ = reader.selfClosing;
    } else {
        sstPart_.clear();
    }
    ctx_.strings.markLoaded();
    return {};
}

namespace {

// The relationship id a <sheet> element names its part by (r:id, whatever the prefix).
std::string sheetRelationshipId(pugi::xml_node sheet) {
    std::string id;
    for (pugi::xml_attribute a = sheet.first_attribute(); a; a = a.next_attribute()) {
        const std::string_view qn(a.name());
        if (qn.find(':') != std::string_view::npos && localOf(a.name()) == "id" &&
            qn.substr(0, 6) != "xmlns:")
            id = a.value();
    }
    return id;
}

} // namespace

Result<void> XlsxBook::loadSheets(const std::vector<Relationship>& rels, PartProgress& progress,
                                  const LoadOptions& options) {
    const std::string& where = pkg_->where();
    const std::string wbWhere = where + ": " + workbookPart_;
    pugi::xml_node sheetsNode = child(workbook_.document_element(), "sheets");
    if (!sheetsNode)
        return makeError(ErrorCode::Damaged, "the workbook lists no sheets", wbWhere);
    std::vector<int> partIndexes;
    for (pugi::xml_node n = sheetsNode.first_child(); n; n = n.next_sibling()) {
        if (n.type() != pugi::node_element || localOf(n.name()) != "sheet")
            continue;
        const std::string name = attr(n, "name").value();
        const std::string id = sheetRelationshipId(n);
        const auto rel = std::find_if(rels.begin(), rels.end(),
                                      [&](const Relationship& r) { return r.id == id; });
        if (rel == rels.end() || rel->external)
            return makeError(ErrorCode::Damaged,
                             "the sheet \"" + name + "\" has no relationship to its part", wbWhere);
        const bool worksheet = relIs(rel->type, "worksheet");
        const int partIndex = pkg_->find(rel->target);
        if (partIndex < 0)
            return makeError(ErrorCode::Damaged,
                             "the part of the sheet \"" + name + "\" is missing",
                             where + ": " + rel->target);
        sheets_.push_back(std::make_unique<XlsxSheet>(
            ctx_, name, pkg_->entries()[static_cast<std::size_t>(partIndex)].name, worksheet));
        savedNames_.push_back(name);
        sheetNodes_.push_back(n);
        partIndexes.push_back(partIndex);
    }
    // The first sheet's rows may be wanted in batches, which come after every other sheet.
    RowReading first{.limit = options.firstSheetRows, .batches = {}, .cut = false};
    if (options.firstSheetBatches) {
        first.batches = [this, &options](int fromRow, int toRow, bool last) {
            return options.firstSheetBatches(
                RowBatch{.book = *this, .fromRow = fromRow, .toRow = toRow, .last = last});
        };
    }
    const bool firstLast = static_cast<bool>(first.batches);
    for (std::size_t k = 0; k < sheets_.size(); ++k) {
        const std::size_t i = firstLast ? (k + 1) % sheets_.size() : k;
        if (auto r = sheets_[i]->load(*pkg_, partIndexes[i], &progress, i == 0 ? &first : nullptr);
            !r)
            return r;
    }
    if (first.cut || first.batches)
        markPartial();
    return {};
}

std::string XlsxBook::contentTypeOf(const std::string& part) const {
    const std::string lowerPart = lowerAscii(part);
    std::string byExtension;
    const auto dot = lowerPart.rfind('.');
    const std::string ext = dot == std::string::npos ? std::string() : lowerPart.substr(dot + 1);
    for (pugi::xml_node n = types_.document_element().first_child(); n; n = n.next_sibling()) {
        const std::string_view local = localOf(n.name());
        if (local == "Override") {
            std::string name = lowerAscii(attr(n, "PartName").value());
            if (!name.empty() && name.front() == '/')
                name.erase(0, 1);
            if (name == lowerPart)
                return attr(n, "ContentType").value();
        } else if (local == "Default" && lowerAscii(attr(n, "Extension").value()) == ext) {
            byExtension = attr(n, "ContentType").value();
        }
    }
    return byExtension;
}

void XlsxBook::addOverride(const std::string& part, const char* type) {
    pugi::xml_node root = types_.document_element();
    pugi::xml_node like = child(root, "Override");
    if (!like)
        like = child(root, "Default");
    pugi::xml_node n = root.append_child(elementName(like, "Override").c_str());
    n.append_attribute("PartName") = ("/" + part).c_str();
    n.append_attribute("ContentType") = type;
    typesChanged_ = true;
}

void XlsxBook::removeOverride(const std::string& part) {
    pugi::xml_node root = types_.document_element();
    const std::string lowerPart = lowerAscii(part);
    for (pugi::xml_node n = root.first_child(); n;) {
        pugi::xml_node next = n.next_sibling();
        if (localOf(n.name()) == "Override") {
            std::string name = lowerAscii(attr(n, "PartName").value());
            if (!name.empty() && name.front() == '/')
                name.erase(0, 1);
            if (name == lowerPart) {
                root.remove_child(n);
                typesChanged_ = true;
            }
        }
        n = next;
    }
}

std::string XlsxBook::addRelationship(const std::string& kind, const std::string& part) {
    pugi::xml_node root = rels_.document_element();
    std::set<std::string> ids;
    pugi::xml_node like;
    for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling()) {
        if (localOf(n.name()) == "Relationship") {
            ids.insert(attr(n, "Id").value());
            like = n;
        }
    }
    std::string id;
    for (int i = static_cast<int>(ids.size()) + 1;; ++i) {
        id = "rId" + std::to_string(i);
        if (!ids.count(id))
            break;
    }
    pugi::xml_node n = root.append_child(elementName(like, "Relationship").c_str());
    n.append_attribute("Id") = id.c_str();
    n.append_attribute("Type") = (relTypeBase_ + "/" + kind).c_str();
    n.append_attribute("Target") = relativeTarget(workbookPart_, part).c_str();
    relsChanged_ = true;
    return id;
}

std::string XlsxBook::newPartName(const std::string& folder, const std::string& stem) const {
    for (int i = 1;; ++i) {
        const std::string name = folder + stem +
                                 (i == 1 && stem != "sheet" ? std::string() : std::to_string(i)) +
                                 ".xml";
        bool used = pkg_->find(name) >= 0;
        for (const auto& s : sheets_)
            used = used || lowerAscii(s->part()) == lowerAscii(name);
        if (!used)
            return name;
    }
}

Sheet* XlsxBook::addSheet(std::string_view name) {
    for (const auto& s : sheets_) {
        if (sameSheetName(s->name(), name))
            return nullptr;
    }
    const auto slash = workbookPart_.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : workbookPart_.substr(0, slash + 1);
    const std::string part = newPartName(folder + "worksheets/", "sheet");
    const std::string id = addRelationship("worksheet", part);
    addOverride(part, worksheetType);

    pugi::xml_node root = workbook_.document_element();
    pugi::xml_node sheetsNode = child(root, "sheets");
    if (!sheetsNode)
        sheetsNode = root.append_child(elementName(root, "sheets").c_str());
    int maxId = 0;
    std::string idAttr;
    for (pugi::xml_node n = sheetsNode.first_child(); n; n = n.next_sibling()) {
        if (localOf(n.name()) != "sheet")
            continue;
        maxId = std::max(maxId, toInt(attr(n, "sheetId").value(), 0));
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
            const std::string_view qn(a.name());
            if (qn.find(':') != std::string_view::npos && localOf(a.name()) == "id")
                idAttr = a.name();
        }
    }
    if (idAttr.empty()) {
        // The relationships namespace under whatever prefix the root already declares.
        for (pugi::xml_attribute a = root.first_attribute(); a; a = a.next_attribute()) {
            const std::string_view qn(a.name());
            if (qn.substr(0, 6) == "xmlns:" && ctx_.relNamespace == a.value())
                idAttr = std::string(qn.substr(6)) + ":id";
        }
        if (idAttr.empty()) {
            root.append_attribute("xmlns:r") = ctx_.relNamespace.c_str();
            idAttr = "r:id";
        }
    }
    // A prefix borrowed from a sibling may be declared on that sibling alone (openpyxl does
    // so): bind it where the new element can see it.
    std::string declare;
    const std::string prefix = idAttr.substr(0, idAttr.find(':'));
    const pugi::xml_attribute atRoot = root.attribute(("xmlns:" + prefix).c_str());
    if (!atRoot)
        root.append_attribute(("xmlns:" + prefix).c_str()) = ctx_.relNamespace.c_str();
    else if (ctx_.relNamespace != atRoot.value())
        declare = prefix;
    pugi::xml_node n = sheetsNode.append_child(elementName(sheetsNode, "sheet").c_str());
    n.append_attribute("name") = std::string(name).c_str();
    n.append_attribute("sheetId") = maxId + 1;
    n.append_attribute(idAttr.c_str()) = id.c_str();
    if (!declare.empty())
        n.append_attribute(("xmlns:" + declare).c_str()) = ctx_.relNamespace.c_str();
    workbookChanged_ = true;

    updateAppTitles("", std::string(name), true);

    auto sheet = std::make_unique<XlsxSheet>(ctx_, std::string(name), part, true);
    sheet->makeNew();
    sheets_.push_back(std::move(sheet));
    savedNames_.emplace_back(name);
    sheetNodes_.push_back(n);
    return sheets_.back().get();
}

void XlsxBook::updateAppTitles(const std::string& oldName, const std::string& newName,
                               bool adding) {
    if (appPart_.empty())
        return;
    if (!appLoaded_) {
        appLoaded_ = true;
        const int idx = pkg_->find(appPart_);
        auto bytes =
            idx >= 0 ? pkg_->read(idx) : Result<std::string>(makeError(ErrorCode::NotFound, ""));
        if (!bytes || !parseXml(app_, *bytes, appPart_)) {
            appPart_.clear(); // left as it is: stale but valid
            return;
        }
    }
    pugi::xml_node root = app_.document_element();
    pugi::xml_node pairs = child(child(root, "HeadingPairs"), "vector");
    pugi::xml_node titles = child(child(root, "TitlesOfParts"), "vector");
    if (!pairs || !titles)
        return;
    std::vector<pugi::xml_node> variants, names;
    for (pugi::xml_node n = pairs.first_child(); n; n = n.next_sibling()) {
        if (n.type() == pugi::node_element)
            variants.push_back(n);
    }
    for (pugi::xml_node n = titles.first_child(); n; n = n.next_sibling()) {
        if (n.type() == pugi::node_element)
            names.push_back(n);
    }
    if (variants.size() < 2)
        return;
    pugi::xml_node countNode = variants[1].first_child();
    const int count = toInt(countNode.child_value(), -1);
    int worksheets = 0;
    for (const auto& s : sheets_)
        worksheets += s->isWorksheet();
    // Only the usual layout is updated: the worksheets' group first, every worksheet in it.
    if (count != worksheets || static_cast<std::size_t>(count) > names.size())
        return;
    if (adding) {
        pugi::xml_node item;
        const std::string itemName =
            names.empty() ? elementName(countNode, "lpstr") : std::string(names.front().name());
        if (count == 0)
            item = titles.prepend_child(itemName.c_str());
        else
            item = titles.insert_child_after(itemName.c_str(),
                                             names[static_cast<std::size_t>(count - 1)]);
        item.text().set(newName.c_str());
        countNode.text().set(count + 1);
        if (pugi::xml_attribute size = titles.attribute("size"))
            size.set_value(static_cast<unsigned>(names.size() + 1));
    } else {
        bool found = false;
        for (int i = 0; i < count; ++i) {
            if (oldName == names[static_cast<std::size_t>(i)].child_value()) {
                names[static_cast<std::size_t>(i)].text().set(newName.c_str());
                found = true;
                break;
            }
        }
        if (!found)
            return;
    }
    appChanged_ = true;
}

void XlsxBook::syncNames() {
    for (std::size_t i = 0; i < sheets_.size(); ++i) {
        const std::string name = sheets_[i]->name();
        if (name == savedNames_[i])
            continue;
        pugi::xml_attribute a = attr(sheetNodes_[i], "name");
        if (!a)
            a = sheetNodes_[i].append_attribute("name");
        a.set_value(name.c_str());
        workbookChanged_ = true;
        updateAppTitles(savedNames_[i], name, false);
        savedNames_[i] = name;
    }
}

Result<std::size_t> XlsxBook::patchSharedStrings(char* buffer, std::size_t size) {
    SstPatch& p = patch_;
    const std::string prefix(xml::prefixOf(sstRootName_));
    // Copies the original part up to `until`, then moves on.
    auto copyUntil = [&](std::uint64_t until) -> Result<std::size_t> {
        if (p.pos >= until)
            return std::size_t{0};
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(size, until - p.pos));
        auto n = p.reader->read(buffer, want);
        if (!n)
            return n;
        if (*n == 0)
            return makeError(ErrorCode::Damaged, "the shared strings part changed while saving");
        p.pos += *n;
        return n;
    };
    auto skipUntil = [&](std::uint64_t until) -> Result<void> {
        while (p.pos < until) {
            char scratch[4096];
            const auto want =
                static_cast<std::size_t>(std::min<std::uint64_t>(sizeof scratch, until - p.pos));
            auto n = p.reader->read(scratch, want);
            if (!n)
                return n.error();
            if (*n == 0)
                return makeError(ErrorCode::Damaged,
                                 "the shared strings part changed while saving");
            p.pos += *n;
        }
        return {};
    };
    while (true) {
        if (p.pendingPos < p.pending.size()) {
            const std::size_t n = std::min(size, p.pending.size() - p.pendingPos);
            std::copy_n(p.pending.data() + p.pendingPos, n, buffer);
            p.pendingPos += n;
            return n;
        }
        p.pending.clear();
        p.pendingPos = 0;
        switch (p.phase) {
        case 0: { // everything before the root element
            auto n = copyUntil(sstRootOffset_);
            if (!n || *n > 0)
                return n;
            // The root start tag with its counts brought up to date.
            std::size_t refs = 0;
            for (const auto& s : sheets_)
                refs += s->sharedStringRefs();
            std::string tag = "<" + sstRootName_;
            xml::AttrReader reader(sstRootAttrs_);
            std::string_view name, value;
            while (reader.next(name, value)) {
                if (name == "count")
                    xml::appendRawAttr(tag, name, std::to_string(refs));
                else if (name == "uniqueCount")
                    xml::appendRawAttr(tag, name, std::to_string(ctx_.strings.size()));
                else
                    xml::appendRawAttr(tag, name, value);
            }
            tag += '>';
            p.pending = std::move(tag);
            if (auto r = skipUntil(sstRootEnd_); !r)
                return r.error();
            p.phase = 1;
            break;
        }
        case 1: { // the strings that were there
            auto n = copyUntil(sstClose_);
            if (!n || *n > 0)
                return n;
            p.phase = 2;
            p.nextItem = ctx_.strings.loadedCount();
            break;
        }
        case 2: // the new ones
            for (int k = 0; k < 1024 && p.nextItem < ctx_.strings.size(); ++k, ++p.nextItem)
                appendSharedItem(p.pending,
                                 ctx_.strings.get(static_cast<std::uint32_t>(p.nextItem)), prefix);
            if (p.nextItem >= ctx_.strings.size()) {
                if (sstSelfClosing_)
                    p.pending += "</" + sstRootName_ + ">";
                p.phase = 3;
            }
            break;
        case 3: { // the root's end tag and whatever follows
            auto n = p.reader->read(buffer, size);
            if (n)
                p.pos += *n;
            return n;
        }
        }
    }
}

// Spreadsheet programs refuse a file named .xlsm whose workbook is typed as a plain one.
void XlsxBook::matchMainTypeTo(const std::string& path) {
    const std::string lower = lowerAscii(path);
    if (!lower.ends_with(".xlsm") || contentTypeOf(workbookPart_) != plainMainType)
        return;
    removeOverride(workbookPart_);
    addOverride(workbookPart_, macroMainType);
}

Result<SavedFile> XlsxBook::save(const std::string& path, const SaveExpectation& expected) {
    if (!complete())
        return refusePartial(path);
    syncNames();
    matchMainTypeTo(path);
    const std::string folder = [&] {
        const auto slash = workbookPart_.rfind('/');
        return slash == std::string::npos ? std::string() : workbookPart_.substr(0, slash + 1);
    }();
    if (ctx_.formulasChanged && !calcChainPart_.empty()) {
        // A stale calculation chain makes spreadsheet programs report a damaged file.
        dropped_.insert(lowerAscii(calcChainPart_));
        removeOverride(calcChainPart_);
        pugi::xml_node root = rels_.document_element();
        for (pugi::xml_node n = root.first_child(); n;) {
            pugi::xml_node next = n.next_sibling();
            if (calcChainRel_ == attr(n, "Id").value()) {
                root.remove_child(n);
                relsChanged_ = true;
            }
            n = next;
        }
        calcChainPart_.clear();
    }
    if (ctx_.formulasChanged)
        markFullRecalculation();
    std::unordered_map<std::string, std::string> rewritten; // lower-case part name -> bytes
    if (auto r = remapNoteParts(rewritten); !r)
        return r.error();
    const bool newStrings = ctx_.strings.size() > ctx_.strings.loadedCount();
    if (newStrings && sstPart_.empty()) {
        sstPart_ = newPartName(folder, "sharedStrings");
        sstNew_ = true;
        addRelationship("sharedStrings", sstPart_);
        addOverride(sstPart_, sharedStringsType);
    }
    if (ctx_.styles.modified() && stylesPart_.empty()) {
        stylesPart_ = newPartName(folder, "styles");
        stylesNew_ = true;
        addRelationship("styles", stylesPart_);
        addOverride(stylesPart_, stylesType);
    }

    std::vector<Package::OutPart> parts;
    const std::string typesKey = "[content_types].xml";
    const std::string workbookKey = lowerAscii(workbookPart_);
    const std::string relsKey = lowerAscii(relsPart_);
    const std::string stylesKey = lowerAscii(stylesPart_);
    const std::string sstKey = lowerAscii(sstPart_);
    const std::string appKey = lowerAscii(appPart_);
    bool relsWritten = false;
    auto serialized = [](const std::string& name, std::string bytes) {
        Package::OutPart part;
        part.name = name;
        part.bytes = std::move(bytes);
        return part;
    };
    patch_ = SstPatch{};
    const auto& entries = pkg_->entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string& name = entries[i].name;
        std::string key = lowerAscii(name);
        if (!key.empty() && key.front() == '/')
            key.erase(0, 1);
        if (dropped_.count(key))
            continue;
        if (key == typesKey && typesChanged_) {
            parts.push_back(serialized(name, serializeXml(types_)));
        } else if (key == workbookKey && workbookChanged_) {
            parts.push_back(serialized(name, serializeXml(workbook_)));
        } else if (key == relsKey && relsChanged_) {
            parts.push_back(serialized(name, serializeXml(rels_)));
            relsWritten = true;
        } else if (key == stylesKey && !stylesNew_ && ctx_.styles.modified()) {
            parts.push_back(serialized(name, ctx_.styles.serialize()));
        } else if (const auto it = rewritten.find(key); it != rewritten.end()) {
            parts.push_back(serialized(name, std::move(it->second)));
        } else if (key == appKey && appChanged_) {
            parts.push_back(serialized(name, serializeXml(app_)));
        } else if (key == sstKey && !sstNew_ && newStrings) {
            auto reader = pkg_->openPart(static_cast<int>(i));
            if (!reader)
                return reader.error();
            patch_.reader = std::move(*reader);
            Package::OutPart part;
            part.name = name;
            part.producer = [this](char* b, std::size_t n) { return patchSharedStrings(b, n); };
            part.fast = entries[i].size > (16u << 20);
            parts.push_back(std::move(part));
        } else {
            const auto sheet = std::find_if(sheets_.begin(), sheets_.end(), [&](const auto& s) {
                return !s->isNew() && lowerAscii(s->part()) == key;
            });
            if (sheet != sheets_.end() && (*sheet)->touched()) {
                Package::OutPart part;
                part.name = name;
                part.producer = (*sheet)->writer();
                part.fast = entries[i].size > (16u << 20);
                part.ahead = part.fast;
                parts.push_back(std::move(part));
            } else {
                Package::OutPart part;
                part.name = name;
                part.copyOf = static_cast<int>(i);
                parts.push_back(std::move(part));
            }
        }
    }
    if (relsChanged_ && !relsWritten)
        parts.push_back(serialized(relsPart_, serializeXml(rels_)));
    if (stylesNew_)
        parts.push_back(serialized(stylesPart_, ctx_.styles.serialize()));
    if (sstNew_) {
        std::string bytes = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<sst "
                            "xmlns=\"" +
                            ctx_.mainNamespace + "\" uniqueCount=\"" +
                            std::to_string(ctx_.strings.size()) + "\">";
        for (std::size_t k = 0; k < ctx_.strings.size(); ++k)
            appendSharedItem(bytes, ctx_.strings.get(static_cast<std::uint32_t>(k)), "");
        bytes += "</sst>";
        parts.push_back(serialized(sstPart_, std::move(bytes)));
    }
    for (const auto& s : sheets_) {
        if (!s->isNew())
            continue;
        Package::OutPart part;
        part.name = s->part();
        part.producer = s->writer();
        parts.push_back(std::move(part));
    }
    auto result = pkg_->write(path, parts, expected);
    patch_ = SstPatch{};
    return result;
}

// Rows of `moved` moved or were deleted: every formula of the workbook and every defined name
// that names its cells follows them.
void XlsxBook::followMovedRows(XlsxSheet& moved, const RowMap& map) {
    if (!map.moves())
        return;
    MovedSheet target;
    target.names.push_back(moved.name());
    for (std::size_t i = 0; i < sheets_.size(); ++i) {
        target.order.push_back(savedNames_[i]);
        if (sheets_[i].get() == &moved) {
            target.index = static_cast<int>(i);
            if (savedNames_[i] != moved.name())
                target.names.push_back(savedNames_[i]); // formulas still use the saved name
        }
    }
    for (const auto& sheet : sheets_)
        sheet->followMovedRows(target, map, sheet.get() == &moved);

    pugi::xml_node names = child(workbook_.document_element(), "definedNames");
    for (pugi::xml_node n = names.first_child(); n; n = n.next_sibling()) {
        if (n.type() != pugi::node_element || localOf(n.name()) != "definedName")
            continue;
        const std::string text = n.child_value();
        if (text.find('!') == std::string::npos)
            continue;
        const MappedFormula m = mapFormulaRows(text, target, false, map);
        if (m.refDeleted || m.kept) {
            // A name is told as Sheet!Name: its own sheet's when it has one, else the moved one.
            std::string sheet = moved.name();
            if (const pugi::xml_attribute local = attr(n, "localSheetId")) {
                const int at = toInt(local.value(), -1);
                if (at >= 0 && at < sheetCount())
                    sheet = sheets_[static_cast<std::size_t>(at)]->name();
            }
            ctx_.notice({m.kept ? SaveNotice::Kind::FormulaKept : SaveNotice::Kind::RefDeleted,
                         sheet, attr(n, "name").value()});
        }
        if (m.changed) {
            n.text().set(m.text.c_str());
            workbookChanged_ = true;
            ctx_.formulasChanged = true;
        }
    }
}

// Formulas moved or were overwritten: their cached results are stale, so spreadsheet programs
// are asked to recalculate everything when they open the file.
void XlsxBook::markFullRecalculation() {
    pugi::xml_node root = workbook_.document_element();
    pugi::xml_node calc = child(root, "calcPr");
    if (!calc) {
        // calcPr follows sheets and the elements that may come between.
        pugi::xml_node after;
        for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling()) {
            const std::string_view local = localOf(n.name());
            if (local == "sheets" || local == "functionGroups" || local == "externalReferences" ||
                local == "definedNames")
                after = n;
        }
        const std::string name = elementName(after ? after : root, "calcPr");
        calc =
            after ? root.insert_child_after(name.c_str(), after) : root.append_child(name.c_str());
    }
    pugi::xml_attribute full = calc.attribute("fullCalcOnLoad");
    if (!full)
        full = calc.append_attribute("fullCalcOnLoad");
    if (std::string_view(full.value()) != "1") {
        full.set_value("1");
        workbookChanged_ = true;
    }
}

// The comments and note shapes of sheets whose rows moved, rewritten to follow them.
Result<void>
XlsxBook::remapNoteParts(std::unordered_map<std::string, std::string>& rewritten) const {
    for (const auto& sheet : sheets_) {
        if (sheet->isNew() || sheet->rowMoves().empty())
            continue;
        const int relsIndex = pkg_->find(relsPartFor(sheet->part()));
        if (relsIndex < 0)
            continue;
        auto relsBytes = pkg_->read(relsIndex);
        if (!relsBytes)
            return relsBytes.error();
        auto rels = parseRelationships(*relsBytes, sheet->part(), pkg_->where());
        if (!rels)
            continue; // unreadable: the parts stay as they are
        for (const Relationship& rel : *rels) {
            const bool comments = relIs(rel.type, "comments");
            if (rel.external || (!comments && !relIs(rel.type, "vmlDrawing")))
                continue;
            const int index = pkg_->find(rel.target);
            if (index < 0)
                continue;
            auto bytes = pkg_->read(index);
            if (!bytes)
                return bytes.error();
            std::string text = std::move(*bytes);
            for (const auto& change : sheet->rowMoves()) {
                const RowMap map(change.moves, change.deletedRows);
                text = comments ? remapComments(text, map) : remapNoteShapes(text, map);
            }
            std::string key = lowerAscii(pkg_->entries()[static_cast<std::size_t>(index)].name);
            if (!key.empty() && key.front() == '/')
                key.erase(0, 1);
            rewritten[key] = std::move(text);
        }
    }
    return {};
}

Result<std::unique_ptr<Book>> loadXlsxBook(const std::string& path, const LoadOptions& options) {
    auto package = Package::open(path);
    if (!package)
        return package.error();
    auto book = std::make_unique<XlsxBook>();
    if (auto r = book->load(std::move(*package), options); !r)
        return r.error();
    return std::unique_ptr<Book>(std::move(book));
}

Result<std::unique_ptr<Book>> loadXlsxBook(const std::string& path, const LoadProgress& progress) {
    return loadXlsxBook(
        path, LoadOptions{.progress = progress, .firstSheetRows = 0, .firstSheetBatches = {}});
}

Result<std::unique_ptr<Book>> loadXlsxBookFromMemory(std::string bytes) {
    auto package = Package::openMemory(std::move(bytes));
    if (!package)
        return package.error();
    auto book = std::make_unique<XlsxBook>();
    if (auto r = book->load(std::move(*package)); !r)
        return r.error();
    return std::unique_ptr<Book>(std::move(book));
}

Result<std::unique_ptr<Book>>
loadXlsxBookFromParts(std::vector<std::pair<std::string, std::string>> parts) {
    auto book = std::make_unique<XlsxBook>();
    if (auto r = book->load(Package::fromParts(std::move(parts))); !r)
        return r.error();
    return std::unique_ptr<Book>(std::move(book));
}

std::unique_ptr<Book> createXlsxBook() {
    const std::string decl = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    std::vector<std::pair<std::string, std::string>> parts;
    parts.emplace_back(
        "[Content_Types].xml",
        decl +
            "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
            "<Default Extension=\"rels\" "
            "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
            "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
            "<Override PartName=\"/xl/workbook.xml\" "
            "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+"
            "xml\"/>"
            "<Override PartName=\"/xl/styles.xml\" ContentType=\"" +
            stylesType + "\"/></Types>");
    parts.emplace_back("_rels/.rels",
                       decl +
                           "<Relationships "
                           "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                           "<Relationship Id=\"rId1\" Type=\"" +
                           rel + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
    parts.emplace_back("xl/workbook.xml",
                       decl + "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rel +
                           "\"><bookViews><workbookView/></bookViews><sheets/></workbook>");
    parts.emplace_back("xl/_rels/workbook.xml.rels",
                       decl +
                           "<Relationships "
                           "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                           "<Relationship Id=\"rId1\" Type=\"" +
                           rel + "/styles\" Target=\"styles.xml\"/></Relationships>");
    parts.emplace_back("xl/styles.xml", Styles::defaultPart(main));
    auto book = std::make_unique<XlsxBook>();
    if (auto r = book->load(Package::fromParts(std::move(parts))); !r)
        return nullptr; // the template is ours: it always loads
    return book;
}

} // namespace rowbit::xlsx
