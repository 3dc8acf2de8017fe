#include "view/PixelRaster.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

void Store(uint8_t* p, Rgb colour) {
    p[0] = uint8_t(colour >> 16);
    p[1] = uint8_t(colour >> 8);
    p[2] = uint8_t(colour);
}

// The coordinates a line from `from` towards `to` covers, in either direction, without `to`
// itself, clipped to [0, limit). Empty (first > last) when nothing is left.
struct Span {
    int first;
    int last;
};

Span LineSpan(int from, int to, int limit) {
    if (from == to) {
        return {0, -1};
    }
    const int first = from < to ? from : to + 1;
    const int last = from < to ? to - 1 : from;
    return {std::max(first, 0), std::min(last, limit - 1)};
}

}  // namespace

void PixelRaster::Resize(int w, int h) {
    width = std::max(w, 0);
    height = std::max(h, 0);
    pixels.assign(size_t(width) * size_t(height) * 3, 0);
}

void PixelRaster::Fill(Rgb colour) {
    if (colour == 0) {
        std::fill(pixels.begin(), pixels.end(), uint8_t{0});
        return;
    }
    for (size_t i = 0; i < pixels.size(); i += 3) {
        Store(&pixels[i], colour);
    }
}

void PixelRaster::SetPixel(int x, int y, Rgb colour) {
    if (x >= 0 && x < width && y >= 0 && y < height) {
        Store(At(x, y), colour);
    }
}

Rgb PixelRaster::Pixel(int x, int y) const {
    if (x < 0 || x >= width || y < 0 || y >= height) {
        return 0;
    }
    const uint8_t* p = pixels.data() + (size_t(y) * size_t(width) + size_t(x)) * 3;
    return (Rgb(p[0]) << 16) | (Rgb(p[1]) << 8) | Rgb(p[2]);
}

void PixelRaster::VerticalLine(int x, int y0, int y1, Rgb colour) {
    if (x < 0 || x >= width) {
        return;
    }
    const Span rows = LineSpan(y0, y1, height);
    for (int y = rows.first; y <= rows.last; ++y) {
        Store(At(x, y), colour);
    }
}

void PixelRaster::HorizontalLine(int x0, int x1, int y, Rgb colour) {
    if (y < 0 || y >= height) {
        return;
    }
    const Span columns = LineSpan(x0, x1, width);
    for (int x = columns.first; x <= columns.last; ++x) {
        Store(At(x, y), colour);
    }
}

void PixelRaster::InvertRect(int left, int top, int right, int bottom) {
    if (left > right) {
        std::swap(left, right);
    }
    if (top > bottom) {
        std::swap(top, bottom);
    }
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width);
    bottom = std::min(bottom, height);
    if (left >= right || top >= bottom) {
        return;
    }
    const size_t rowBytes = size_t(right - left) * 3;
    for (int y = top; y < bottom; ++y) {
        uint8_t* p = At(left, y);
        for (size_t i = 0; i < rowBytes; ++i) {
            p[i] = uint8_t(~p[i]);
        }
    }
}

void PixelRaster::CopyBlock(int x, int y, int w, int h, const uint8_t* rgb) {
    const int left = std::max(x, 0);
    const int right = std::min(x + w, width);
    if (rgb == nullptr || left >= right) {
        return;
    }
    for (int row = std::max(y, 0); row < std::min(y + h, height); ++row) {
        const uint8_t* from = rgb + (size_t(row - y) * size_t(w) + size_t(left - x)) * 3;
        std::memcpy(At(left, row), from, size_t(right - left) * 3);
    }
}
