#pragma once

#include <wx/string.h>

class wxWindow;

namespace platform {

/// The file dialogs the program runs: a seam, so tests can choose files in place of a user.
class FileChooser {
public:
    virtual ~FileChooser() = default;

    /// Asks for an existing WAV file to open. True with `path` (full) and `name` (without
    /// directory) set when the user chose one.
    virtual bool ChooseWaveToOpen(wxWindow* parent, wxString& path, wxString& name) = 0;

    /// Asks where to save a WAV file, starting at `initialName`. True with `path` set when
    /// the user chose one; choosing an existing file asks the user to confirm replacing it.
    virtual bool ChooseWaveToSave(wxWindow* parent, const wxString& initialName,
                                  wxString& path) = 0;

    /// Asks for a session file (.orvane) to open; true with `path` set when one was chosen.
    virtual bool ChooseSessionToOpen(wxWindow* parent, wxString& path) = 0;

    /// Asks for the file that now stands for a session's source saved at `savedPath` (moved or
    /// replaced); true with `path` set when the user chose one.
    virtual bool LocateSource(wxWindow* parent, const wxString& savedPath, wxString& path) = 0;

    /// Asks where to save a session file, starting at `initialName`; true with `path` set
    /// (ending in .orvane) when the user chose one. GTK's dialog asks before replacing.
    virtual bool ChooseSessionToSave(wxWindow* parent, const wxString& initialName,
                                     wxString& path) = 0;

    /// An effect preset to load (.fxp or .fxb).
    virtual bool ChoosePresetToOpen(wxWindow* parent, wxString& path) = 0;

    /// Where to save a preset: a program (.fxp) or, with `bank`, a bank (.fxb); the
    /// extension is added when missing.
    virtual bool ChoosePresetToSave(wxWindow* parent, const wxString& initialName, bool bank,
                                    wxString& path) = 0;
};

/// The real dialogs (GTK's file chooser).
class SystemFileChooser final : public FileChooser {
public:
    bool ChooseWaveToOpen(wxWindow* parent, wxString& path, wxString& name) override;
    bool ChooseWaveToSave(wxWindow* parent, const wxString& initialName, wxString& path) override;
    bool ChooseSessionToOpen(wxWindow* parent, wxString& path) override;
    bool LocateSource(wxWindow* parent, const wxString& savedPath, wxString& path) override;
    bool ChoosePresetToOpen(wxWindow* parent, wxString& path) override;
    bool ChoosePresetToSave(wxWindow* parent, const wxString& initialName, bool bank,
                            wxString& path) override;
    bool ChooseSessionToSave(wxWindow* parent, const wxString& initialName,
                             wxString& path) override;

private:
    wxString lastDirectory_;  // the open dialog comes back where the user left it
};

}  // namespace platform
