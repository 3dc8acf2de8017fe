#include "plugins/editor/PluginEditors.h"

#include <wx/app.h>
#include <wx/thread.h>

#include <algorithm>
#include <memory>

#include "platform/X11Window.h"
#include "platform/gui/MessageBox.h"
#include "plugins/IdleRequests.h"
#include "plugins/PluginHost.h"
#include "plugins/editor/GeneratedParameterDialog.h"
#include "plugins/editor/PluginEditorWindow.h"

namespace {

// An editor window as its slot owns it. The close box only hides the window; the window goes
// when this handle goes, after its conversation with the effect has ended.
class FrameEditor : public EffectEditor {
public:
    explicit FrameEditor(EditorFrame* frame) : frame(frame) {
        frame->Bind(wxEVT_CLOSE_WINDOW, &FrameEditor::OnClose, this);
    }
    ~FrameEditor() override {
        EditorFrame* closing = frame.get();
        if (closing == nullptr) {
            return;
        }
        closing->Unbind(wxEVT_CLOSE_WINDOW, &FrameEditor::OnClose, this);
        // effEditClose while the plug-in's parent window still exists.
        closing->Detach();
        closing->Destroy();
    }
    FrameEditor(const FrameEditor&) = delete;
    FrameEditor& operator=(const FrameEditor&) = delete;

    EditorFrame* Frame() const { return frame.get(); }

    void Show() override {
        if (frame) {
            frame->Show();
            frame->Raise();
        }
    }

    bool Resize(int32_t width, int32_t height) override {
        if (wxIsMainThread()) {
            auto* own = dynamic_cast<PluginEditorWindow*>(frame.get());
            return own != nullptr && own->SetEditorSize(width, height);
        }
        // Windows belong to the user-interface thread, which may be waiting for this very
        // plug-in (an effect in a process of its own asks from the thread that serves it,
        // during effEditOpen too): the size is taken there once its event loop turns.
        if (wxTheApp == nullptr || width <= 0 || height <= 0) {
            return false;
        }
        std::weak_ptr<FrameEditor*> target = self;
        wxTheApp->CallAfter([target, width, height] {
            if (const std::shared_ptr<FrameEditor*> editor = target.lock()) {
                (*editor)->Resize(width, height);
            }
        });
        return true;
    }

private:
    void OnClose(wxCloseEvent& event) {
        if (!event.CanVeto()) {
            // The window is going whatever we do (the program ends): end the conversation
            // with the effect first.
            frame->Detach();
            event.Skip();
            return;
        }
        // Hidden, not closed: the editor stays open until its effect is closed.
        event.Veto();
        frame->Hide();
    }

    wxWeakRef<EditorFrame> frame;
    // What a size request from another thread finds this editor by, once it is gone too.
    std::shared_ptr<FrameEditor*> self = std::make_shared<FrameEditor*>(this);
};

}  // namespace

PluginEditors::PluginEditors(PluginHost& host, wxWindow* owner) : host(host), owner(owner) {
    // A plug-in's X error, such as one about its editor's parent that went away, must never
    // end the process.
    platform::InstallX11ErrorHandler();
    // Idle asked for on another thread runs on this one, as soon as its event loop turns. A
    // wake still queued when these editors are gone finds `alive` expired and does nothing.
    IdleRequests* idle = &host.Idle();
    std::weak_ptr<const bool> alive = liveness;
    idle->SetWaker([idle, alive] {
        if (wxTheApp != nullptr) {
            wxTheApp->CallAfter([idle, alive] {
                if (alive.lock() != nullptr) {
                    idle->RunDeferred();
                }
            });
        }
    });
}

PluginEditors::~PluginEditors() {
    host.Idle().SetWaker({});
    CloseOpenEditor();
}

void PluginEditors::OpenEditor(size_t position) {
    EffectChain& chain = host.Chain();
    if (chain.Empty()) {
        platform::ShowMessageBox(owner,
                                 {"No plug-in is loaded.", "Orvane", platform::MessageButtons::kOk,
                                  platform::MessageIcon::kInformation});
        return;
    }
    EffectSlot& slot = chain.At(std::min(position, chain.Size() - 1));
    // The effect's editor is opened once and only hidden when the user closes it: some
    // plug-ins leak an X connection and megabytes on every open.
    if (slot.Editor() != nullptr) {
        slot.Editor()->Show();
        if (auto* shown = dynamic_cast<FrameEditor*>(slot.Editor())) {
            window = shown->Frame();
        }
        return;
    }
    EditorFrame* frame = CreateWindow(slot);
    frame->PlaceNearOwner();
    frame->Show();
}

EditorFrame* PluginEditors::CreateWindow(EffectSlot& slot) {
    vst::AEffect* effect = slot.Effect();
    const wxString title = PluginText(slot.Name());
    if (!alwaysGenerated && (effect->flags & vst::effFlagsHasEditor) != 0) {
        auto* own = new PluginEditorWindow(owner, title, effect);
        // Handed to the slot before effEditOpen: the plug-in may ask for its size during it.
        slot.SetEditor(std::make_unique<FrameEditor>(own));
        window = own;
        if (own->OpenPluginEditor()) {
            return own;
        }
        // No X11 window to embed in: the generated dialog still edits the effect.
        slot.CloseEditor();
    }
    auto* generated = new GeneratedParameterDialog(owner, title, effect);
    slot.SetEditor(std::make_unique<FrameEditor>(generated));
    window = generated;
    return generated;
}

EditorFrame* PluginEditors::Window() const {
    // A closed editor is destroyed at the next idle time; it is no longer the open one.
    EditorFrame* shown = window.get();
    return shown != nullptr && !wxPendingDelete.Member(shown) ? shown : nullptr;
}

void PluginEditors::CloseOpenEditor() {
    EffectChain& chain = host.Chain();
    for (size_t i = 0; i < chain.Size(); ++i) {
        chain.At(i).CloseEditor();
    }
}
