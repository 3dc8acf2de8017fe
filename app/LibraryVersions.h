#pragma once

#include <wx/string.h>

#include <vector>

/// The libraries Orvane runs on, each with the version it reports at run time (the one
/// actually loaded, which may be newer than the one Orvane was built with) and its licence.
struct LibraryVersion {
    wxString name;     // "wxWidgets"
    wxString version;  // "3.2.2"
    wxString licence;  // "wxWindows Library Licence"
};

std::vector<LibraryVersion> LibraryVersions();
