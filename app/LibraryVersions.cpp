#include "app/LibraryVersions.h"

#include <portaudio.h>
#include <sndfile.h>
#include <soxr.h>
#include <wx/utils.h>

namespace {

// libsndfile and libsoxr name themselves in their version text ("libsndfile-1.2.0"): the
// number alone.
wxString WithoutName(const char* text, const char* name) {
    wxString version = wxString::FromUTF8(text != nullptr ? text : "");
    version.StartsWith(wxString(name) + "-", &version);
    return version;
}

// PortAudio's text repeats its name and adds a revision hash: the numbers say enough.
wxString AudioLibraryVersion() {
    const PaVersionInfo* info = Pa_GetVersionInfo();
    return info != nullptr ? wxString::Format("%d.%d.%d", info->versionMajor, info->versionMinor,
                                              info->versionSubMinor)
                           : wxString("(unknown)");
}

}  // namespace

std::vector<LibraryVersion> LibraryVersions() {
    const wxVersionInfo toolkit = wxGetLibraryVersionInfo();
    return {
        {"wxWidgets",
         wxString::Format("%d.%d.%d", toolkit.GetMajor(), toolkit.GetMinor(), toolkit.GetMicro()),
         "wxWindows Library Licence"},
        {"PortAudio", AudioLibraryVersion(), "MIT licence"},
        {"libsndfile", WithoutName(sf_version_string(), "libsndfile"), "GNU LGPL 2.1 or later"},
        {"libsoxr", WithoutName(soxr_version(), "libsoxr"), "GNU LGPL 2.1 or later"},
    };
}
