#include "app/RecentFilesController.h"

#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/menu.h>

#include "app/SessionController.h"
#include "platform/gui/RecentFiles.h"
#include "resources/CommandIds.h"
#include "resources/MenuResource.h"

namespace {

static_assert(cmd::kLastRecent - cmd::kFirstRecent + 1 == int(RecentFilesController::kMaxListed));

bool IsSessionPath(const wxString& path) {
    return path.Lower().EndsWith(".orvane");
}

platform::RecentFiles OrvaneRecentFiles() {
    return platform::RecentFiles("Orvane", "orvane %f");
}

// "&1 take.wav" ... "1&0 take.wav": a digit to choose it by, the file's name with any '&'
// shown as itself.
wxString ItemLabel(size_t index, const std::string& path) {
    wxString name = wxFileName(wxString::FromUTF8(path)).GetFullName();
    name.Replace("&", "&&");
    const wxString number = index + 1 < 10 ? wxString::Format("&%zu", index + 1) : "1&0";
    return number + " " + name;
}

}  // namespace

void RememberRecentFile(const wxString& path) {
    wxFileName file(path);
    file.MakeAbsolute();
    OrvaneRecentFiles().Add(std::string(file.GetFullPath().fn_str()),
                            IsSessionPath(path) ? "application/x-orvane-session" : "audio/x-wav");
}

RecentFilesController::RecentFilesController(const Parts& parts)
    : frame(parts.frame), sessions(parts.sessions), menu(parts.openRecentMenu) {
    frame.Bind(wxEVT_MENU, &RecentFilesController::OnOpenRecent, this, cmd::kFirstRecent,
               cmd::kLastRecent);
    frame.Bind(wxEVT_UPDATE_UI, &RecentFilesController::OnUpdateNoRecentFiles, this,
               cmd::kNoRecentFiles);
    frame.Bind(wxEVT_MENU_OPEN, &RecentFilesController::OnMenuOpen, this);
    RefreshMenu();
}

void RecentFilesController::Open(const std::vector<wxString>& paths) {
    for (const wxString& path : paths) {
        if (IsSessionPath(path) &&
            (!sessions.ConfirmDiscardChanges() || !sessions.OpenSession(path))) {
            return;  // declined or refused (and said why): the files were meant for it
        }
    }
    for (const wxString& path : paths) {
        if (!IsSessionPath(path)) {
            sessions.LoadWave(path, wxFileName(path).GetFullName());
        }
    }
}

void RecentFilesController::RefreshMenu() {
    listed = OrvaneRecentFiles().List(kMaxListed);
    while (menu.GetMenuItemCount() > 0) {
        menu.Destroy(menu.FindItemByPosition(menu.GetMenuItemCount() - 1));
    }
    if (listed.empty()) {
        menu.Append(menu::MenuItemId(cmd::kNoRecentFiles), "No recent files");
    }
    for (size_t i = 0; i < listed.size(); ++i) {
        menu.Append(cmd::kFirstRecent + int(i), ItemLabel(i, listed[i]),
                    wxString::FromUTF8(listed[i]));
    }
}

void RecentFilesController::OnMenuOpen(wxMenuEvent& event) {
    // The File menu lists Open Recent; the submenu is filled before it can be seen.
    if (event.GetMenu() != nullptr && event.GetMenu() != &menu &&
        event.GetMenu()->FindChildItem(menu::MenuItemId(cmd::kOpenSession)) != nullptr) {
        RefreshMenu();
    }
    event.Skip();
}

void RecentFilesController::OnOpenRecent(wxCommandEvent& event) {
    const size_t index = size_t(event.GetId() - cmd::kFirstRecent);
    if (index < listed.size()) {
        Open({wxString::FromUTF8(listed[index])});
    }
}

void RecentFilesController::OnUpdateNoRecentFiles(wxUpdateUIEvent& event) {
    event.Enable(false);
}

bool FileDropTarget::OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) {
    open(std::vector<wxString>(files.begin(), files.end()));
    return true;
}
