#include "plugins/editor/PluginEditorWindow.h"

#include "platform/X11Window.h"
#include "plugins/IdleRequests.h"
#include "plugins/PluginHost.h"

namespace {

// Larger requests are refused: X11 windows end at 32767 pixels, and no screen is that big.
constexpr int kMaxSide = 16384;

}  // namespace

PluginEditorWindow::PluginEditorWindow(wxWindow* owner, const wxString& title, vst::AEffect* effect)
    : EditorFrame(owner, title, effect),
      pluginParent(new wxWindow(this, wxID_ANY, wxPoint(0, 0),
                                wxSize(kDefaultWidth, kDefaultHeight), wxBORDER_NONE)),
      idleTimer(this) {
    // The plug-in paints this area itself.
    pluginParent->SetBackgroundColour(*wxBLACK);
    Bind(wxEVT_TIMER, &PluginEditorWindow::OnIdleTimer, this, idleTimer.GetId());
    // The frame must not lay its child out by itself: the plug-in decides the size.
    Bind(wxEVT_SIZE, [](wxSizeEvent&) {});
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
    pluginParent->SetSize(0, 0, width, height);
    SetClientSize(width, height);
    return true;
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
    // A hidden editor has nothing to draw.
    if (open && IsShown()) {
        IdleRequests::Run(effect, vst::effEditIdle);
    }
    IdleRequests::RunDeferred();  // what plug-ins asked for from other threads or nested
}
