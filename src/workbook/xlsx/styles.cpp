#include "workbook/xlsx/styles.h"

#include "workbook/number_format.h"
#include "workbook/xlsx/opc.h"

#include <charconv>
#include <cstring>
#include <unordered_map>

namespace rowbit::xlsx {

namespace {

int toInt(const char* text, int fallback) {
    int v = fallback;
    const char* end = text + std::strlen(text);
    auto [p, ec] = std::from_chars(text, end, v);
    return ec == std::errc() ? v : fallback;
}

} // namespace

std::string Styles::defaultPart(std::string_view ns) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<styleSheet xmlns=\"" +
           std::string(ns) +
           "\"><fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/><family "
           "val=\"2\"/></font></fonts><fills count=\"2\"><fill><patternFill "
           "patternType=\"none\"/></fill><fill><patternFill "
           "patternType=\"gray125\"/></fill></fills><borders "
           "count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></"
           "borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
           "borderId=\"0\"/></cellStyleXfs><cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" "
           "fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs><cellStyles count=\"1\"><cellStyle "
           "name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles></styleSheet>";
}

Result<void> Styles::load(std::string_view bytes, const std::string& where) {
    if (auto r = parseXml(doc_, bytes, where); !r)
        return r;
    classify();
    return {};
}

void Styles::classify() {
    const pugi::xml_node root = doc_.document_element();
    std::unordered_map<int, bool> custom;
    if (pugi::xml_node fmts = child(root, "numFmts")) {
        for (pugi::xml_node f = fmts.first_child(); f; f = f.next_sibling()) {
            if (f.type() != pugi::node_element || localOf(f.name()) != "numFmt")
                continue;
            const int id = toInt(attr(f, "numFmtId").value(), -1);
            custom[id] = numfmt::isDateFormatCode(attr(f, "formatCode").value());
        }
    }
    cellXfs_ = child(root, "cellXfs");
    xfs_.clear();
    dateXf_.clear();
    for (pugi::xml_node xf = cellXfs_.first_child(); xf; xf = xf.next_sibling()) {
        if (xf.type() != pugi::node_element || localOf(xf.name()) != "xf")
            continue;
        const int id = toInt(attr(xf, "numFmtId").value(), 0);
        const auto it = custom.find(id);
        const bool date = it != custom.end() ? it->second : numfmt::isBuiltinDateFormat(id);
        xfs_.push_back(xf);
        dateXf_.push_back(date ? 1 : 0);
    }
}

int Styles::dateFormat(int like) {
    if (isDate(like))
        return like;
    if (!cellXfs_) {
        pugi::xml_node root = doc_.document_element();
        if (!root)
            return 0;
        cellXfs_ = root.append_child("cellXfs");
    }
    const bool haveLike = like >= 0 && static_cast<std::size_t>(like) < xfs_.size();
    // An existing format that differs from `like` only by showing a date.
    for (std::size_t i = 0; i < xfs_.size(); ++i) {
        if (!dateXf_[i] || toInt(attr(xfs_[i], "numFmtId").value(), 0) != 14)
            continue;
        if (!haveLike)
            return static_cast<int>(i);
        bool same = true;
        for (const char* a : {"fontId", "fillId", "borderId", "xfId"}) {
            if (std::strcmp(attr(xfs_[i], a).value(), attr(xfs_[like], a).value()) != 0)
                same = false;
        }
        const bool likeAligned = child(xfs_[like], "alignment");
        const bool thisAligned = child(xfs_[i], "alignment");
        if (same && !likeAligned && !thisAligned)
            return static_cast<int>(i);
    }
    pugi::xml_node xf;
    if (haveLike) {
        xf = cellXfs_.append_copy(xfs_[like]);
    } else {
        std::string name = cellXfs_.name();
        const auto colon = name.find(':');
        xf = cellXfs_.append_child(
            (colon == std::string::npos ? std::string("xf") : name.substr(0, colon + 1) + "xf")
                .c_str());
        for (const char* a : {"fontId", "fillId", "borderId", "xfId"})
            xf.append_attribute(a) = "0";
    }
    pugi::xml_attribute id = attr(xf, "numFmtId");
    if (!id)
        id = xf.prepend_attribute("numFmtId");
    id.set_value("14");
    pugi::xml_attribute apply = attr(xf, "applyNumberFormat");
    if (!apply)
        apply = xf.append_attribute("applyNumberFormat");
    apply.set_value("1");
    xfs_.push_back(xf);
    dateXf_.push_back(1);
    if (pugi::xml_attribute count = attr(cellXfs_, "count"))
        count.set_value(static_cast<unsigned>(xfs_.size()));
    modified_ = true;
    return static_cast<int>(xfs_.size() - 1);
}

void Styles::setDefaultFont(std::string_view face, int size) {
    pugi::xml_node fonts = child(doc_.document_element(), "fonts");
    pugi::xml_node font = child(fonts, "font");
    if (!font)
        return;
    std::string prefix = font.name();
    const auto colon = prefix.find(':');
    prefix = colon == std::string::npos ? std::string() : prefix.substr(0, colon + 1);
    pugi::xml_node name = child(font, "name");
    if (!name)
        name = font.append_child((prefix + "name").c_str());
    pugi::xml_attribute val = attr(name, "val");
    if (!val)
        val = name.append_attribute("val");
    val.set_value(std::string(face).c_str());
    pugi::xml_node sz = child(font, "sz");
    if (!sz)
        sz = font.prepend_child((prefix + "sz").c_str());
    pugi::xml_attribute szVal = attr(sz, "val");
    if (!szVal)
        szVal = sz.append_attribute("val");
    szVal.set_value(size);
    // A theme font scheme would override the face.
    if (pugi::xml_node scheme = child(font, "scheme"))
        font.remove_child(scheme);
    if (pugi::xml_node family = child(font, "family"))
        font.remove_child(family);
    modified_ = true;
}

std::string Styles::serialize() const {
    return serializeXml(doc_);
}

} // namespace rowbit::xlsx
