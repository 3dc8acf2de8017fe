#include "plugins/editor/PluginEditors.h"

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/thread.h>

#include "platform/X11Window.h"
#include "platform/gui/MessageBox.h"
#include "plugins/IdleRequests.h"
#include "plugins/PluginHost.h"
#include "plugins/editor/GeneratedParameterDialog.h"
#include "plugins/editor/PluginEditorWindow.h"

PluginEditors::PluginEditors(PluginHost& host, wxWindow* owner) : host(host), owner(owner) {
    // A plug-in's X error, such as one about its editor's parent that went away, must never
    // end the process.
    platform::InstallX11ErrorHandler();
    host.SetEditorWindows(this);
    // Idle asked for on another thread runs on this one, as soon as its event loop turns.
    IdleRequests::SetWaker([] {
        if (wxTheApp != nullptr) {
            wxTheApp->CallAfter([] { IdleRequests::RunDeferred(); });
        }
    });
}

PluginEditors::~PluginEditors() {
    IdleRequests::SetWaker({});
    CloseOpenEditor();
    host.SetEditorWindows(nullptr);
}

uintptr_t PluginEditors::HandleOf(const EditorFrame* frame) {
    return reinterpret_cast<uintptr_t>(frame);
}

void PluginEditors::OpenEditor(uint8_t position, int catalogIndex) {
    // The effect's editor is opened once and only hidden when the user closes it: some
    // plug-ins leak an X connection and megabytes on every open.
    EditorFrame* shown = window.get();
    if (shown != nullptr && !host.IsChainEmpty() && shown->Effect() == host.EffectAt(position)) {
        shown->Show();
        shown->Raise();
        host.SetEditor(HandleOf(shown), shown->Effect());
        return;
    }
    CloseOpenEditor();
    const char* name = host.PluginName(catalogIndex);
    const wxString title = name != nullptr ? PluginText(name) : wxString();
    if (host.IsChainEmpty()) {
        platform::ShowMessageBox(owner,
                                 {"No plug-in is loaded.", "Orvane", platform::MessageButtons::kOk,
                                  platform::MessageIcon::kInformation});
        return;
    }
    vst::AEffect* effect = host.EffectAt(position);
    EditorFrame* frame = CreateWindow(effect, title);
    frame->Bind(wxEVT_CLOSE_WINDOW, &PluginEditors::OnWindowClose, this);
    frame->PlaceNearOwner();
    frame->Show();
}

EditorFrame* PluginEditors::CreateWindow(vst::AEffect* effect, const wxString& title) {
    if (!alwaysGenerated && (effect->flags & vst::effFlagsHasEditor) != 0) {
        auto* own = new PluginEditorWindow(owner, title, effect);
        // Recorded before effEditOpen: the plug-in may ask for its size during the open.
        window = own;
        host.SetEditor(HandleOf(own), effect);
        if (own->OpenPluginEditor()) {
            return own;
        }
        // No X11 window to embed in: the generated dialog still edits the effect.
        window = nullptr;
        own->Destroy();
    }
    auto* generated = new GeneratedParameterDialog(owner, title, effect);
    window = generated;
    host.SetEditor(HandleOf(generated), effect);
    return generated;
}

void PluginEditors::CloseOpenEditor() {
    EditorFrame* frame = window.get();
    if (frame == nullptr) {
        return;
    }
    window = nullptr;
    frame->Unbind(wxEVT_CLOSE_WINDOW, &PluginEditors::OnWindowClose, this);
    // effEditClose while the plug-in's parent window still exists.
    frame->Detach();
    frame->Destroy();
    // The effect stays the one whose editor was opened last.
    host.SetEditor(0, host.CurrentEffect());
}

void PluginEditors::CloseEditor(uintptr_t closing, vst::AEffect* /*effect*/) {
    if (closing == HandleOf(window.get())) {
        CloseOpenEditor();
    }
}

bool PluginEditors::ResizeEditor(vst::AEffect* effect, int32_t width, int32_t height) {
    // Windows belong to the user-interface thread; a request from elsewhere is refused.
    if (!wxIsMainThread()) {
        return false;
    }
    auto* own = dynamic_cast<PluginEditorWindow*>(window.get());
    return own != nullptr && own->Effect() == effect && own->SetEditorSize(width, height);
}

void PluginEditors::OnWindowClose(wxCloseEvent& event) {
    if (event.GetEventObject() != window.get()) {
        event.Skip();
        return;
    }
    if (!event.CanVeto()) {
        CloseOpenEditor();
        return;
    }
    // Hidden, not closed: the editor stays open until its effect is unloaded.
    event.Veto();
    window->Hide();
}
