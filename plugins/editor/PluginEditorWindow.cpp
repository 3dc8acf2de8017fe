#include "plugins/editor/PluginEditorWindow.h"

#include <wx/display.h>
#include <wx/scrolwin.h>

#include <algorithm>

#include "platform/X11Window.h"
#include "plugins/EffectSlot.h"
#include "plugins/IdleRequests.h"
#include "plugins/PluginHost.h"

namespace {

// Larger requests are refused: X11 windows end at 32767 pixels, and no screen is that big.
constexpr int kMaxSide = 16384;
// Pixels per scroll step of an editor larger than the screen.
constexpr int kScrollStep = 16;

}  // namespace

PluginEditorWindow::PluginEditorWindow(wxWindow* owner, const wxString& title, vst::AEffect* effect)
    : EditorFrame(owner, title, effect),
      scrollArea(new wxScrolledWindow(this, wxID_ANY, wxPoint(0, 0),
                                      wxSize(kDefaultWidth, kDefaultHeight),
                                      wxBORDER_NONE | wxHSCROLL | wxVSCROLL)),
      pluginParent(new wxWindow(scrollArea, wxID_ANY, wxPoint(0, 0),
                                wxSize(kDefaultWidth, kDefaultHeight), wxBORDER_NONE)),
      idleTimer(this) {
    // The plug-in paints this area itself.
    pluginParent->SetBackgroundColour(*wxBLACK);
    scrollArea->SetBackgroundColour(*wxBLACK);
    scrollArea->SetScrollRate(kScrollStep, kScrollStep);
    scrollArea->SetVirtualSize(kDefaultWidth, kDefaultHeight);
    // The scrolled area fills the frame (the frame sizes its one child); the plug-in's window
    // inside it keeps the size the plug-in decides.
    Bind(wxEVT_TIMER, &PluginEditorWindow::OnIdleTimer, this, idleTimer.GetId());
}

PluginEditorWindow::~PluginEditorWindow() {
    Detach();
}

bool PluginEditorWindow::OpenPluginEditor() {
    sized = SizeFromEditorRect();
    const uintptr_t parent =
        platform::X11WindowId(static_cast<GtkWidget*>(pluginParent->GetHandle()));
    if (parent == 0 || effect == nullptr) {
        return false;
    }
    open = true;
    PluginHost::Dispatch(effect, vst::effEditOpen, 0, 0, reinterpret_cast<void*>(parent));
    if (!SizeFromEditorRect() && !sized) {
        SetEditorSize(kDefaultWidth, kDefaultHeight);
    }
    idleTimer.Start(kIdleMilliseconds);
    return true;
}

bool PluginEditorWindow::SizeFromEditorRect() {
    vst::ERect* rect = nullptr;
    PluginHost::Dispatch(effect, vst::effEditGetRect, 0, 0, &rect);
    // The rectangle's right and bottom are the size: editors report their origin as 0, 0.
    if (rect == nullptr || rect->right <= 0 || rect->bottom <= 0) {
        return false;
    }
    return SetEditorSize(rect->right, rect->bottom);
}

bool PluginEditorWindow::SetEditorSize(int width, int height) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        return false;
    }
    sized = true;
    scrollArea->Scroll(0, 0);  // the plug-in's window is placed at the area's origin
    pluginParent->SetSize(0, 0, width, height);
    scrollArea->SetVirtualSize(width, height);
    // The window's frame (title bar, borders) counts against the work area too.
    const wxRect work = WorkArea();
    const wxSize frame = GetSize() - GetClientSize();
    const wxSize room(std::max(work.width - frame.x, 1), std::max(work.height - frame.y, 1));
    const wxSize client(std::min(width, room.x), std::min(height, room.y));
    scrollArea->SetSize(0, 0, client.x, client.y);
    SetClientSize(client);
    if (client != wxSize(width, height)) {
        Move(work.GetTopLeft());  // all of the window on the screen
    }
    return true;
}

wxRect PluginEditorWindow::WorkArea() const {
    const int index = wxDisplay::GetFromWindow(GetParent() != nullptr ? GetParent() : this);
    return wxDisplay(index != wxNOT_FOUND ? static_cast<unsigned>(index) : 0u).GetClientArea();
}

void PluginEditorWindow::Detach() {
    idleTimer.Stop();
    if (open) {
        open = false;
        PluginHost::Dispatch(effect, vst::effEditClose);
    }
    EditorFrame::Detach();
}

void PluginEditorWindow::OnIdleTimer(wxTimerEvent&) {
    // Through the host's queue, so that an idle call the plug-in is inside is never re-entered.
    IdleRequests* idle = OpenedEffect::IdleRequestsOf(effect);
    if (idle == nullptr) {
        return;
    }
    // A hidden editor has nothing to draw.
    if (open && IsShown()) {
        idle->Run(effect, vst::effEditIdle);
    }
    idle->RunDeferred();  // what plug-ins asked for from other threads or nested
}
