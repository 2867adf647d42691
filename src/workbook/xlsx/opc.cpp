#include "workbook/xlsx/opc.h"
#include "workbook/xlsx/xml_scan.h"

#include <sstream>

namespace rowbit::xlsx {

std::string relsPartFor(std::string_view part) {
    const auto slash = part.rfind('/');
    if (slash == std::string_view::npos)
        return "_rels/" + std::string(part) + ".rels";
    return std::string(part.substr(0, slash + 1)) + "_rels/" + std::string(part.substr(slash + 1)) +
           ".rels";
}

namespace {

std::string percentDecode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            const int hi = xml::hexValue(s[i + 1]);
            const int lo = xml::hexValue(s[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

} // namespace

std::string resolveTarget(std::string_view sourcePart, std::string_view target) {
    std::string t = percentDecode(target);
    for (char& c : t) {
        if (c == '\\')
            c = '/';
    }
    const auto hash = t.find('#');
    if (hash != std::string::npos)
        t.erase(hash);
    std::string base;
    if (!t.empty() && t.front() == '/') {
        t.erase(0, 1);
    } else {
        const auto slash = sourcePart.rfind('/');
        if (slash != std::string_view::npos)
            base = std::string(sourcePart.substr(0, slash + 1));
    }
    std::vector<std::string> segments;
    std::stringstream in(base + t);
    std::string seg;
    while (std::getline(in, seg, '/')) {
        if (seg.empty() || seg == ".")
            continue;
        if (seg == "..") {
            if (!segments.empty())
                segments.pop_back();
            continue;
        }
        segments.push_back(seg);
    }
    std::string out;
    for (const auto& s : segments) {
        if (!out.empty())
            out += '/';
        out += s;
    }
    return out;
}

std::string relativeTarget(std::string_view sourcePart, std::string_view part) {
    const auto slash = sourcePart.rfind('/');
    const std::string_view folder =
        slash == std::string_view::npos ? std::string_view{} : sourcePart.substr(0, slash + 1);
    if (!folder.empty() && part.substr(0, folder.size()) == folder)
        return std::string(part.substr(folder.size()));
    return "/" + std::string(part);
}

bool relIs(std::string_view type, std::string_view kind) {
    return type.size() > kind.size() && type.substr(type.size() - kind.size()) == kind &&
           type[type.size() - kind.size() - 1] == '/';
}

Result<void> parseXml(pugi::xml_document& doc, std::string_view bytes, const std::string& where) {
    const auto result = doc.load_buffer(bytes.data(), bytes.size(),
                                        pugi::parse_default | pugi::parse_declaration |
                                            pugi::parse_doctype | pugi::parse_ws_pcdata_single,
                                        pugi::encoding_auto);
    if (!result)
        return makeError(ErrorCode::Damaged, std::string("malformed XML: ") + result.description(),
                         where + " at byte " + std::to_string(result.offset));
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) {
        if (n.type() == pugi::node_doctype)
            return makeError(ErrorCode::Unsupported, "a document type declaration is not allowed",
                             where);
    }
    if (!doc.document_element())
        return makeError(ErrorCode::Damaged, "the XML part has no root element", where);
    return {};
}

std::string serializeXml(const pugi::xml_document& doc) {
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    std::string text = out.str();
    bool hasDecl = false;
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) {
        if (n.type() == pugi::node_declaration)
            hasDecl = true;
    }
    if (!hasDecl)
        text = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n" + text;
    return text;
}

std::string_view localOf(const char* name) {
    std::string_view n(name);
    const auto colon = n.find(':');
    return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

pugi::xml_node child(pugi::xml_node node, std::string_view local) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_element && localOf(c.name()) == local)
            return c;
    }
    return {};
}

pugi::xml_attribute attr(pugi::xml_node node, std::string_view local) {
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        std::string_view name(a.name());
        if (name.substr(0, 6) == "xmlns:" || name == "xmlns")
            continue;
        if (localOf(a.name()) == local)
            return a;
    }
    return {};
}

Result<std::vector<Relationship>>
parseRelationships(std::string_view bytes, std::string_view sourcePart, const std::string& where) {
    pugi::xml_document doc;
    if (auto r = parseXml(doc, bytes, where); !r)
        return r.error();
    std::vector<Relationship> rels;
    for (pugi::xml_node n = doc.document_element().first_child(); n; n = n.next_sibling()) {
        if (n.type() != pugi::node_element || localOf(n.name()) != "Relationship")
            continue;
        Relationship rel;
        rel.id = attr(n, "Id").value();
        rel.type = attr(n, "Type").value();
        const std::string target = attr(n, "Target").value();
        rel.external = std::string_view(attr(n, "TargetMode").value()) == "External";
        rel.target = rel.external ? target : resolveTarget(sourcePart, target);
        rels.push_back(std::move(rel));
    }
    return rels;
}

} // namespace rowbit::xlsx
