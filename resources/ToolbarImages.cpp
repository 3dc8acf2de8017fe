// The toolbar buttons' pictures, 16 × 15 pixels each, as small XPM images of our own.

#include "resources/ToolbarImages.h"

#include <wx/image.h>

#include "resources/CommandIds.h"

namespace {

// Palette shared by every image: transparent, black outline, fill colours.
#define ORVANE_XPM_HEADER \
    "16 15 5 1", "  c None", ". c #000000", "r c #C03020", "b c #3060C0", "w c #FFFFFF"

const char* const kCut[] = {
    ORVANE_XPM_HEADER,  "                ", "   .      .     ", "   .      .     ",
    "   .      .     ", "    .    .      ", "    .    .      ", "     .  .       ",
    "      ..        ", "      ..        ", "    rr  rr      ", "   r  rr  r     ",
    "   r  rr  r     ", "   r  rr  r     ", "    rr  rr      ", "                "};

const char* const kCopy[] = {
    ORVANE_XPM_HEADER,  "                ", " .......        ", " .wwwww.        ",
    " .w...w.        ", " .wwwww.....    ", " .w...w.www.    ", " .wwwww.....    ",
    " .w...w.www..   ", " .wwwww.wwwww.  ", " ......w...w.   ", "      .wwwww.   ",
    "      .w...w.   ", "      .wwwww.   ", "      .......   ", "                "};

const char* const kPaste[] = {
    ORVANE_XPM_HEADER,  "                ", "     ....       ", "  ...bwwb...    ",
    "  .bbbbbbbb.    ", "  .bb....bb.    ", "  .bb.ww.....   ", "  .bb.w.wwww.   ",
    "  .bb.wwwwww.   ", "  .bb.w....w.   ", "  .bb.wwwwww.   ", "  .bb.w....w.   ",
    "  .bb.wwwwww.   ", "  ....wwwwww.   ", "      ........  ", "                "};

const char* const kPlay[] = {
    ORVANE_XPM_HEADER,  "                ", "    ..          ", "    .b.         ",
    "    .bb.        ", "    .bbb.       ", "    .bbbb.      ", "    .bbbbb.     ",
    "    .bbbbbb.    ", "    .bbbbb.     ", "    .bbbb.      ", "    .bbb.       ",
    "    .bb.        ", "    .b.         ", "    ..          ", "                "};

const char* const kStop[] = {
    ORVANE_XPM_HEADER,  "                ", "                ", "   ..........   ",
    "   .rrrrrrrr.   ", "   .rrrrrrrr.   ", "   .rrrrrrrr.   ", "   .rrrrrrrr.   ",
    "   .rrrrrrrr.   ", "   .rrrrrrrr.   ", "   .rrrrrrrr.   ", "   .rrrrrrrr.   ",
    "   ..........   ", "                ", "                ", "                "};

const char* const kPause[] = {
    ORVANE_XPM_HEADER,  "                ", "                ", "   ....  ....   ",
    "   .bb.  .bb.   ", "   .bb.  .bb.   ", "   .bb.  .bb.   ", "   .bb.  .bb.   ",
    "   .bb.  .bb.   ", "   .bb.  .bb.   ", "   .bb.  .bb.   ", "   .bb.  .bb.   ",
    "   ....  ....   ", "                ", "                ", "                "};

const char* const kZoomIn[] = {
    ORVANE_XPM_HEADER,  "                ", "    ....        ", "  ..wwww..      ",
    "  .www.ww.      ", " .wwww.www.     ", " .w.....ww.     ", " .wwww.www.     ",
    "  .www.ww.      ", "  ..wwww..      ", "    ....b.      ", "         bb.    ",
    "          bb.   ", "           bb.  ", "            b.  ", "                "};

const char* const kZoomOut[] = {
    ORVANE_XPM_HEADER,  "                ", "    ....        ", "  ..wwww..      ",
    "  .wwwwww.      ", " .wwwwwwww.     ", " .w......w.     ", " .wwwwwwww.     ",
    "  .wwwwww.      ", "  ..wwww..      ", "    ....b.      ", "         bb.    ",
    "          bb.   ", "           bb.  ", "            b.  ", "                "};

const char* const kZoomOutFull[] = {
    ORVANE_XPM_HEADER,  "                ", " .            . ", " ..          .. ",
    " .b.        .b. ", " .bb........bb. ", " .bbbbbbbbbbbb. ", " .bb........bb. ",
    " .b.        .b. ", " ..          .. ", " .            . ", "                ",
    " .............. ", " .wwwwwwwwwwww. ", " .............. ", "                "};

// A curved arrow pointing back (undo) and its mirror image (redo).
const char* const kUndo[] = {
    ORVANE_XPM_HEADER,  "                ", "                ", "    .           ",
    "   .b.          ", "  .bb.......    ", " .bbbbbbbbbb.   ", "  .bb......bb.  ",
    "   .b.     .bb. ", "    .       .b. ", "            .b. ", "           .bb. ",
    "         ..bb.  ", "        .bbb.   ", "        ....    ", "                "};

const char* const kRedo[] = {
    ORVANE_XPM_HEADER,  "                ", "                ", "           .    ",
    "          .b.   ", "    .......bb.  ", "   .bbbbbbbbbb. ", "  .bb......bb.  ",
    " .bb.     .b.   ", " .b.       .    ", " .b.            ", " .bb.           ",
    "  .bb..         ", "   .bbb.        ", "    ....        ", "                "};

#undef ORVANE_XPM_HEADER

}  // namespace

wxBitmap ToolbarImage(int command) {
    switch (command) {
        case cmd::kCut:
            return wxBitmap(kCut);
        case cmd::kCopy:
            return wxBitmap(kCopy);
        case cmd::kPaste:
            return wxBitmap(kPaste);
        case cmd::kUndo:
            return wxBitmap(kUndo);
        case cmd::kRedo:
            return wxBitmap(kRedo);
        case cmd::kPlay:
            return wxBitmap(kPlay);
        case cmd::kStop:
            return wxBitmap(kStop);
        case cmd::kPause:
            return wxBitmap(kPause);
        case cmd::kZoomIn:
            return wxBitmap(kZoomIn);
        case cmd::kZoomOut:
            return wxBitmap(kZoomOut);
        case cmd::kZoomOutFull:
            return wxBitmap(kZoomOutFull);
        default:
            return wxBitmap();
    }
}
