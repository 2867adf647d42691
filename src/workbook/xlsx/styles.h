#pragma once
// The workbook's cell formats (styles.xml): which format handles show dates, finding or adding
// a date format, and the default font of a new workbook.

#include "app/result.h"

#include <pugixml.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace rowbit::xlsx {

class Styles {
public:
    Result<void> load(std::string_view bytes, const std::string& where);
    // The part for a workbook that has none.
    static std::string defaultPart(std::string_view mainNamespace);

    bool isDate(int xf) const {
        return xf >= 0 && static_cast<std::size_t>(xf) < dateXf_.size() && dateXf_[xf] != 0;
    }
    int count() const { return static_cast<int>(dateXf_.size()); }
    int dateFormat(int like);
    void setDefaultFont(std::string_view face, int size);

    bool modified() const { return modified_; }
    std::string serialize() const;

private:
    void classify();

    pugi::xml_document doc_;
    pugi::xml_node cellXfs_;
    std::vector<pugi::xml_node> xfs_;
    std::vector<char> dateXf_;
    bool modified_ = false;
};

} // namespace rowbit::xlsx
