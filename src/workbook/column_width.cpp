#include "workbook/column_width.h"

#include <cmath>

namespace rowbit {

namespace {

constexpr double kDigitPixels = 7;
constexpr double kPaddingPixels = 5;

double twoPlaces(double chars) {
    return std::round(chars * 100) / 100;
}

} // namespace

double shownColumnWidth(double stored) {
    // Pixels from the stored width as the format rounds them: 128/7 of a 256th, cut to a
    // whole 256th, is added before the pixels are cut to whole ones.
    const double pixels =
        std::floor((256 * stored + std::floor(128 / kDigitPixels)) / 256 * kDigitPixels);
    if (pixels <= 0)
        return 0;
    const double onePadded = kDigitPixels + kPaddingPixels;
    return twoPlaces(pixels <= onePadded ? pixels / onePadded
                                         : (pixels - kPaddingPixels) / kDigitPixels);
}

double defaultColumnWidth(double baseDigits) {
    const double pixels = std::ceil((baseDigits * kDigitPixels + kPaddingPixels) / 8) * 8;
    return twoPlaces((pixels - kPaddingPixels) / kDigitPixels);
}

} // namespace rowbit
