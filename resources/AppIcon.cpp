#include "resources/AppIcon.h"

#include <wx/image.h>

#include <cmath>

wxBitmap AppIconBitmap(int size) {
    wxImage image(size, size);
    image.SetRGB(wxRect(0, 0, size, size), 0, 0, 0);
    const double middle = (size - 1) / 2.0;
    // A decaying wave across the square, drawn column by column as the view draws.
    int previous = static_cast<int>(middle);
    for (int x = 0; x < size; ++x) {
        const double t = x / double(size - 1);
        const double amplitude = (0.45 - 0.3 * t) * size;
        const int y = static_cast<int>(middle - amplitude * std::sin(t * 4.0 * M_PI));
        for (int row = std::min(previous, y); row <= std::max(previous, y); ++row) {
            image.SetRGB(x, row, 0, 255, 0);
        }
        previous = y;
    }
    for (int x = 0; x < size; ++x) {
        image.SetRGB(x, static_cast<int>(middle), 0, 160, 0);
    }
    return wxBitmap(image);
}
