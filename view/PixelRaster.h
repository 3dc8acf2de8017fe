#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

/// An RGB colour as 0xRRGGBB.
using Rgb = uint32_t;

/// A picture in memory, 3 bytes per pixel (R, G, B) in rows from the top, with the few
/// drawing rules the waveform view needs made exact: lines that leave out their end point,
/// single pixels and a band that inverts every pixel it covers, so that drawing the same band
/// twice restores the picture. Everything outside the raster is clipped silently.
///
///     PixelRaster r;
///     r.Resize(640, 480);                  // black
///     r.VerticalLine(10, 300, 100, 0x00FF00);  // rows 101..300 of column 10
class PixelRaster {
public:
    int Width() const { return width; }
    int Height() const { return height; }

    /// Sets the size and clears to black. Negative sizes count as 0.
    void Resize(int width, int height);
    void Fill(Rgb colour);

    void SetPixel(int x, int y, Rgb colour);
    /// The pixel at (x, y); black outside the raster.
    Rgb Pixel(int x, int y) const;

    /// A one-pixel line in column x from row y0 towards row y1; y1 itself is not drawn.
    void VerticalLine(int x, int y0, int y1, Rgb colour);
    /// A one-pixel line in row y from column x0 towards column x1; x1 itself is not drawn.
    void HorizontalLine(int x0, int x1, int y, Rgb colour);

    /// Inverts every pixel of the columns [left, right) and rows [top, bottom), once each.
    /// Reversed edges are swapped first.
    void InvertRect(int left, int top, int right, int bottom);

    /// Copies a block of RGB pixels (3 bytes each, rows of `w` pixels) with its top-left
    /// corner at (x, y), overwriting what is there.
    void CopyBlock(int x, int y, int w, int h, const uint8_t* rgb);

    /// The pixel bytes: Height() rows of Width() pixels, 3 bytes each.
    const uint8_t* Data() const { return pixels.data(); }
    uint8_t* Data() { return pixels.data(); }

private:
    uint8_t* At(int x, int y) {
        return pixels.data() + (size_t(y) * size_t(width) + size_t(x)) * 3;
    }

    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};
