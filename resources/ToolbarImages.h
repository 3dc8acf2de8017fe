#pragma once

#include <wx/bitmap.h>

/// The 16 × 15 button image of a toolbar command, or an empty bitmap for other commands.
wxBitmap ToolbarImage(int command);
