#include "support/GuiTestFrame.h"

#include <wx/app.h>
#include <wx/utils.h>

#include <thread>

namespace testing_support {

GuiTestFrame::GuiTestFrame() : wxFrame(nullptr, wxID_ANY, "Orvane test", wxPoint(0, 0)) {
    // Sizing the frame must not resize the window under test.
    Bind(wxEVT_SIZE, [](wxSizeEvent&) {});
}

void GuiTestFrame::SetChildClientSize(wxWindow* child, int width, int height) {
    const wxSize borders = child->GetSize() - child->GetClientSize();
    child->SetSize(0, 0, width + borders.x, height + borders.y);
}

bool GuiTestFrame::ShowWithClientSize(wxWindow* child, int width, int height) {
    SetChildClientSize(child, width, height);
    SetClientSize(child->GetSize() + wxSize(16, 16));
    Show();
    Raise();
    const bool shown = WaitUntil([&] { return child->IsShownOnScreen(); });
    // The first expose has been handled once nothing is pending any more.
    ProcessPendingUi(child);
    SetChildClientSize(child, width, height);
    ProcessPendingUi(child);
    return shown && child->GetClientSize() == wxSize(width, height);
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void ProcessPendingUi(wxWindow* window) {
    for (int i = 0; i < 3; ++i) {
        wxTheApp->ProcessPendingEvents();
        wxTheApp->Yield(true);
        window->Update();
    }
}

void DestroyNow(wxWindow* topLevel) {
    topLevel->Destroy();
    wxTheApp->ProcessPendingEvents();
    wxTheApp->Yield(true);
}

}  // namespace testing_support
