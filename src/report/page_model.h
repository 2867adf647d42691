#pragma once
// A printed page as positioned items, not as a picture: texts, horizontal rules and
// rectangles, every measure in thousandths of an inch from the paper's top left corner.
// The preview, the printer and the PDF writer all draw from this one model.

#include <cstdint>
#include <string>
#include <vector>

namespace rowbit::report {

// A4 in thousandths of an inch (210 x 297 mm).
inline constexpr int kPaperShort = 8268;
inline constexpr int kPaperLong = 11693;

// The report's two faces: the title (굴림 16 points bold) and everything else (굴림체 9
// points, fixed pitch).
enum class FontRole : std::uint8_t { Title, Body };

// In the body face one CP949 byte is one cell: a Latin letter half an em of 9 points, a
// Hangul syllable a whole em. Cells are cut to what fits them by this measure.
inline constexpr double kBodyByteWidth = 9.0 / 72.0 * 1000.0 / 2.0;

// Text left-aligned in its cell, its top at y; what does not fit the cell is not drawn.
struct PageText {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    FontRole font = FontRole::Body;
    std::string text; // UTF-8

    bool operator==(const PageText&) const = default;
};

struct PageLine { // horizontal
    int x = 0;
    int y = 0;
    int width = 0;

    bool operator==(const PageLine&) const = default;
};

struct PageRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const PageRect&) const = default;
};

struct Page {
    int number = 0; // 1-based
    int width = kPaperShort;
    int height = kPaperLong;
    std::vector<PageText> texts;
    std::vector<PageLine> lines;
    std::vector<PageRect> rects;

    bool landscape() const { return width > height; }
};

} // namespace rowbit::report
