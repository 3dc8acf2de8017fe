#pragma once

#include <wx/bitmap.h>

/// Orvane's picture: a green waveform on black, `size` pixels square. The About dialog and
/// the window icon show it.
wxBitmap AppIconBitmap(int size);
