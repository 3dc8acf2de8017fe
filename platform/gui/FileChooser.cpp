#include "platform/gui/FileChooser.h"

#include <wx/filedlg.h>
#include <wx/filename.h>

#include "platform/gui/DialogOwner.h"

namespace platform {
namespace {
// Pairs of description and pattern, separated by '|', with no '|' after the last pattern.
constexpr const char* kWaveFilter = "Wave files (*.wav)|*.wav|All files (*)|*";
// Every format Orvane opens first, then WAV alone, then anything.
constexpr const char* kAudioFilter =
    "Audio files (*.wav, *.flac, *.ogg, *.opus, *.mp3, *.aiff, *.w64)|"
    "*.wav;*.flac;*.ogg;*.oga;*.opus;*.mp3;*.aif;*.aiff;*.aifc;*.w64|"
    "Wave files (*.wav)|*.wav|All files (*)|*";
constexpr const char* kSessionFilter = "Orvane sessions (*.orvane)|*.orvane|All files (*)|*";
}  // namespace

bool SystemFileChooser::ChooseWaveToOpen(wxWindow* parent, wxString& path, wxString& name) {
    wxFileDialog dialog(DialogOwner(parent), wxFileSelectorPromptStr, lastDirectory_, wxEmptyString,
                        kAudioFilter, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK) {
        return false;
    }
    path = dialog.GetPath();
    name = dialog.GetFilename();
    lastDirectory_ = dialog.GetDirectory();
    return true;
}

bool SystemFileChooser::ChooseWaveToSave(wxWindow* parent, const wxString& initialName,
                                         wxString& path) {
    wxFileDialog dialog(DialogOwner(parent), wxFileSelectorPromptStr, wxEmptyString, initialName,
                        kWaveFilter, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK) {
        return false;
    }
    path = dialog.GetPath();
    return true;
}

bool SystemFileChooser::ChooseSessionToOpen(wxWindow* parent, wxString& path) {
    wxFileDialog dialog(DialogOwner(parent), "Open Session", lastDirectory_, wxEmptyString,
                        kSessionFilter, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK) {
        return false;
    }
    path = dialog.GetPath();
    lastDirectory_ = dialog.GetDirectory();
    return true;
}

bool SystemFileChooser::LocateSource(wxWindow* parent, const wxString& savedPath, wxString& path) {
    // Starts where the file was, when that folder is still there, with its name filled in.
    const wxFileName saved(savedPath);
    const wxString folder = saved.DirExists() ? saved.GetPath() : lastDirectory_;
    wxFileDialog dialog(DialogOwner(parent), "Locate " + saved.GetFullName(), folder,
                        saved.GetFullName(), kAudioFilter, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK) {
        return false;
    }
    path = dialog.GetPath();
    lastDirectory_ = dialog.GetDirectory();
    return true;
}

bool SystemFileChooser::ChooseSessionToSave(wxWindow* parent, const wxString& initialName,
                                            wxString& path) {
    wxFileDialog dialog(DialogOwner(parent), "Save Session", lastDirectory_, initialName,
                        kSessionFilter, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK) {
        return false;
    }
    path = dialog.GetPath();
    if (!path.Lower().EndsWith(".orvane")) {
        path += ".orvane";
    }
    return true;
}

bool SystemFileChooser::ChoosePresetToOpen(wxWindow* parent, wxString& path) {
    wxFileDialog dialog(DialogOwner(parent), "Import Preset", lastDirectory_, wxEmptyString,
                        "VST presets (*.fxp;*.fxb)|*.fxp;*.fxb;*.FXP;*.FXB|All files|*",
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK) {
        return false;
    }
    path = dialog.GetPath();
    lastDirectory_ = dialog.GetDirectory();
    return true;
}

bool SystemFileChooser::ChoosePresetToSave(wxWindow* parent, const wxString& initialName, bool bank,
                                           wxString& path) {
    const wxString extension = bank ? ".fxb" : ".fxp";
    wxFileDialog dialog(DialogOwner(parent), bank ? "Export Bank" : "Export Program",
                        lastDirectory_, initialName + extension,
                        bank ? "VST banks (*.fxb)|*.fxb" : "VST programs (*.fxp)|*.fxp",
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK) {
        return false;
    }
    path = dialog.GetPath();
    if (!path.Lower().EndsWith(extension)) {
        path += extension;
    }
    lastDirectory_ = dialog.GetDirectory();
    return true;
}

}  // namespace platform
