#pragma once

#include <wx/dnd.h>
#include <wx/event.h>
#include <wx/string.h>

#include <functional>
#include <string>
#include <vector>

class SessionController;
class wxFrame;
class wxMenu;

/// Records `path` (a wave file, or a session ending .orvane) in the desktop's list of recently
/// used files under Orvane's name: after every successful Load Wave, Open Session and Save
/// Session.
void RememberRecentFile(const wxString& path);

/// Opens files named outside the file dialogs, as Load Wave and Open Session open them: files
/// dropped on the window, and the items of File > "Open Recent", which lists the last ten
/// files and sessions Orvane recorded that still exist. A session (".orvane") opens first,
/// after the question about unsaved changes, then the wave files in order, as the command
/// line opens them.
///
///     RecentFilesController recent({*frame, sessions, *openRecentMenu});
///     frame->SetDropTarget(new FileDropTarget(
///         [&recent](const std::vector<wxString>& paths) { recent.Open(paths); }));
///
/// User-interface thread only; the frame, the session controller and the menu outlive it.
class RecentFilesController : public wxEvtHandler {
public:
    struct Parts {
        wxFrame& frame;  // carries the menu's commands
        SessionController& sessions;
        wxMenu& openRecentMenu;
    };

    explicit RecentFilesController(const Parts& parts);
    RecentFilesController(const RecentFilesController&) = delete;
    RecentFilesController& operator=(const RecentFilesController&) = delete;

    /// Opens `paths`: the sessions among them first, then the wave files in order.
    void Open(const std::vector<wxString>& paths);

    /// Lists the recorded files afresh in the "Open Recent" submenu (done whenever the File
    /// menu opens).
    void RefreshMenu();

    /// The paths the submenu lists now, in its order.
    const std::vector<std::string>& Listed() const { return listed; }

    static constexpr size_t kMaxListed = 10;

private:
    void OnMenuOpen(wxMenuEvent& event);
    void OnOpenRecent(wxCommandEvent& event);
    void OnUpdateNoRecentFiles(wxUpdateUIEvent& event);

    wxFrame& frame;
    SessionController& sessions;
    wxMenu& menu;
    std::vector<std::string> listed;
};

/// Hands the files dropped on a window, in the order they came, to `open`.
class FileDropTarget : public wxFileDropTarget {
public:
    explicit FileDropTarget(std::function<void(const std::vector<wxString>&)> open)
        : open(std::move(open)) {}

    /// Passes the files on; true, as every file is taken (a refused one is reported).
    bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& files) override;

private:
    std::function<void(const std::vector<wxString>&)> open;
};
