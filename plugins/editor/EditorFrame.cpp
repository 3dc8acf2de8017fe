#include "plugins/editor/EditorFrame.h"

#include <wx/display.h>

#include <algorithm>

namespace {

constexpr long kToolWindowStyle =
    wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxFRAME_TOOL_WINDOW | wxFRAME_FLOAT_ON_PARENT;

}  // namespace

EditorFrame::EditorFrame(wxWindow* owner, const wxString& title, vst::AEffect* effect)
    : wxFrame(owner, wxID_ANY, title, wxDefaultPosition, wxDefaultSize, kToolWindowStyle),
      effect(effect) {}

void EditorFrame::PlaceNearOwner() {
    wxWindow* owner = GetParent();
    if (owner == nullptr) {
        return;
    }
    wxPoint where = owner->ClientToScreen(owner->ConvertDialogToPixels(wxPoint(50, 50)));
    const int display = wxDisplay::GetFromWindow(owner);
    const wxRect area = wxDisplay(display == wxNOT_FOUND ? 0 : display).GetClientArea();
    const wxSize size = GetSize();
    where.x = std::max(area.GetLeft(), std::min(where.x, area.GetRight() + 1 - size.x));
    where.y = std::max(area.GetTop(), std::min(where.y, area.GetBottom() + 1 - size.y));
    Move(where);
}

wxString PluginText(const std::string& text) {
    const wxString utf8 = wxString::FromUTF8(text.data(), text.size());
    if (!utf8.empty() || text.empty()) {
        return utf8;
    }
    return wxString(text.data(), wxConvISO8859_1, text.size());
}
