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
    if (x < 0 || x >= width || y0 == y1) {
        return;
    }
    // The drawn rows are y0 up to, not including, y1, in either direction.
    int top = y0 < y1 ? y0 : y1 + 1;
    int bottom = y0 < y1 ? y1 - 1 : y0;
    top = std::max(top, 0);
    bottom = std::min(bottom, height - 1);
    for (int y = top; y <= bottom; ++y) {
        Store(At(x, y), colour);
    }
}

void PixelRaster::HorizontalLine(int x0, int x1, int y, Rgb colour) {
    if (y < 0 || y >= height || x0 == x1) {
        return;
    }
    int left = x0 < x1 ? x0 : x1 + 1;
    int right = x0 < x1 ? x1 - 1 : x0;
    left = std::max(left, 0);
    right = std::min(right, width - 1);
    for (int x = left; x <= right; ++x) {
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
