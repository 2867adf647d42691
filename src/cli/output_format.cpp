#include "cli/output_format.h"

#include "app/cp949_text.h"
#include "app/picture.h"
#include "document/document.h"
#include "workbook/book.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <set>

namespace rowbit::cli {

std::optional<OutputFormat> outputFormat(const Args& args) {
    const std::string* name = option(args, "--format");
    if (!name)
        return OutputFormat::Text;
    for (std::size_t i = 0; i < std::size(kOutputFormatNames); ++i) {
        if (*name == kOutputFormatNames[i])
            return static_cast<OutputFormat>(i);
    }
    return std::nullopt;
}

namespace {

std::string isoText(int year, int month, int day) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
    return buf;
}

RawValue dayValue(double serial) {
    const picture::CivilDate date =
        picture::civilFromSerial(static_cast<std::int32_t>(std::floor(serial)));
    if (!picture::isValidDate(date) || date.year < 1 || date.year > 9999)
        return serial;
    return IsoDate{isoText(date.year, date.month, date.day)};
}

RawValue cellValue(const Book& book, const Sheet& sheet, int row, int col, bool dateColumn) {
    switch (sheet.cellType(row, col)) {
    case CellType::Number: {
        const double value = sheet.readNum(row, col);
        if (dateColumn || sheet.isDate(row, col))
            return dayValue(book.date1904() ? picture::serialFrom1904(value) : value);
        return value;
    }
    case CellType::Text:
        return sheet.readStr(row, col);
    case CellType::Boolean:
        return sheet.readBool(row, col);
    case CellType::Error:
        return sheet.readError(row, col);
    default:
        return std::monostate{};
    }
}

std::string plain(const RawValue& value) {
    if (const auto* number = std::get_if<double>(&value))
        return shortestNumber(*number);
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* truth = std::get_if<bool>(&value))
        return *truth ? "TRUE" : "FALSE";
    if (const auto* day = std::get_if<IsoDate>(&value))
        return day->text;
    return {};
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

nlohmann::ordered_json jsonValue(const RawValue& value) {
    if (const auto* number = std::get_if<double>(&value)) {
        if (!std::isfinite(*number))
            return nullptr;
        // A whole number is written without a fraction, as a script expects 3200, not 3200.0.
        if (std::trunc(*number) == *number && std::fabs(*number) < 9007199254740992.0)
            return static_cast<std::int64_t>(*number);
        return *number;
    }
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* truth = std::get_if<bool>(&value))
        return *truth;
    if (const auto* day = std::get_if<IsoDate>(&value))
        return day->text;
    return nullptr;
}

// JSON keys must differ: a repeated or empty title gets its column's place.
std::vector<std::string> uniqueKeys(const std::vector<std::string>& titles) {
    std::vector<std::string> keys;
    std::set<std::string> seen;
    for (std::size_t i = 0; i < titles.size(); ++i) {
        std::string key = titles[i];
        if (key.empty() || seen.count(key))
            key += "#" + std::to_string(i + 1);
        seen.insert(key);
        keys.push_back(key);
    }
    return keys;
}

} // namespace

std::vector<std::string> rawTitles(const Document& doc) {
    const ColumnSetup& columns = doc.columns;
    std::vector<std::string> titles;
    for (int k = 0; k < std::min(columns.columnCount, kMaxColumns); ++k)
        titles.emplace_back(cp949::trim(columns.title[k]));
    if (columns.memoColumn != 0)
        titles.emplace_back(cp949::trim(columns.memoTitle));
    return titles;
}

std::vector<RawValue> rawRecord(const Document& doc, const Record& record) {
    return rawRecord(doc.book.get(), doc.sheet(), doc.columns, record);
}

std::vector<RawValue> rawRecord(const Book* book, const Sheet* sheet, const ColumnSetup& columns,
                                const Record& record) {
    std::vector<RawValue> values;
    for (int k = 0; k < std::min(columns.columnCount, kMaxColumns); ++k) {
        if (sheet && book && columns.sheetColumn[k] >= 1)
            values.push_back(cellValue(*book, *sheet, record.row, columns.sheetColumn[k] - 1,
                                       columns.type[k] == FieldType::Date));
        else
            values.emplace_back(std::string(cp949::trimRight(record.col[k])));
    }
    if (columns.memoColumn != 0)
        values.emplace_back(std::string(cp949::trimRight(record.memo)));
    return values;
}

TableWriter::TableWriter(OutputFormat format, std::vector<std::string> titles)
    : format_(format), titles_(std::move(titles)) {
    if (format_ == OutputFormat::Json)
        keys_ = uniqueKeys(titles_);
}

void TableWriter::line(std::string& out, const std::vector<std::string>& fields) const {
    const bool csv = format_ == OutputFormat::Csv;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out += csv ? ',' : '\t';
        out += csv ? csvField(fields[i]) : escapeField(fields[i]);
    }
    out += csv ? "\r\n" : "\n";
}

void TableWriter::begin(std::string& out) const {
    if (format_ == OutputFormat::Json)
        out += "[";
    else
        line(out, titles_);
}

void TableWriter::row(std::string& out, const std::vector<RawValue>& values) {
    if (format_ == OutputFormat::Json) {
        nlohmann::ordered_json object = nlohmann::ordered_json::object();
        for (std::size_t i = 0; i < keys_.size() && i < values.size(); ++i)
            object[keys_[i]] = jsonValue(values[i]);
        out += rows_ ? ",\n" : "\n";
        out += object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    } else {
        std::vector<std::string> fields;
        fields.reserve(values.size());
        for (const RawValue& value : values)
            fields.push_back(plain(value));
        line(out, fields);
    }
    ++rows_;
}

void TableWriter::end(std::string& out) const {
    if (format_ == OutputFormat::Json)
        out += rows_ == 0 ? "]\n" : "\n]\n";
}

std::string writeTable(const RawTable& table, OutputFormat format) {
    TableWriter writer(format, table.titles);
    std::string out;
    writer.begin(out);
    for (const auto& row : table.rows)
        writer.row(out, row);
    writer.end(out);
    return out;
}

std::optional<std::string> isoDateForEntry(const std::string& value, const std::string& datePicture,
                                           int todayYear) {
    const auto serial = parseToday(std::string(cp949::trim(value)));
    if (!serial)
        return value;
    const picture::CivilDate date = picture::civilFromSerial(*serial);
    if (date.year < todayYear - 80 || date.year > todayYear + 19)
        return std::nullopt;
    // The form takes a date as six digits in the picture's order, the year in two.
    const int yy = date.year % 100;
    char buf[16];
    if (datePicture.rfind("@D1", 0) == 0)
        std::snprintf(buf, sizeof buf, "%02d%02d%02d", date.month, date.day, yy);
    else if (datePicture.rfind("@D5", 0) == 0)
        std::snprintf(buf, sizeof buf, "%02d%02d%02d", date.day, date.month, yy);
    else
        std::snprintf(buf, sizeof buf, "%02d%02d%02d", yy, date.month, date.day);
    return std::string(buf);
}

} // namespace rowbit::cli
