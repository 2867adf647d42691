#pragma once
// The report preview's page sizes for a window: the page fitted to it, the page in the
// two-page view, and the frame of the page at its natural size.

namespace rowbit::report {

struct PreviewSizes {
    int thumbnailWidth = 0;
    int thumbnailHeight = 0;
    int multiWidth = 0;
    int multiHeight = 0;
};

// `window` is the area the pages are shown in; `image` the page's natural size in pixels.
inline PreviewSizes previewSizes(int windowWidth, int windowHeight, int imageWidth,
                                 int imageHeight) {
    PreviewSizes s;
    if (imageWidth <= 0 || imageHeight <= 0)
        return s;
    const double aspect = static_cast<double>(imageHeight) / imageWidth;
    s.thumbnailHeight = windowHeight - 20;
    s.thumbnailWidth = static_cast<int>(s.thumbnailHeight / aspect);
    if (s.thumbnailWidth > windowWidth) {
        s.thumbnailWidth = windowWidth;
        s.thumbnailHeight = static_cast<int>(s.thumbnailWidth * aspect);
    }
    s.multiWidth =
        s.thumbnailWidth * 2 + 20 < windowWidth ? s.thumbnailWidth : windowWidth / 2 - 10;
    s.multiHeight = static_cast<int>(s.multiWidth * aspect);
    return s;
}

} // namespace rowbit::report
