// An effect with an editor of its own that tells its size only by asking the host
// (audioMasterSizeWindow) during effEditOpen, and answers effEditGetRect only after that, as
// some real plug-ins do. Configured through its EditorLog: a size of 0 x 0 never asks, so
// the host has to choose one. RequestEditorSize asks again while the editor is open.

#include "EditorLog.h"
#include "TestEffect.h"

namespace {

EditorLog editorLog;

class SelfSizing;
SelfSizing* latest = nullptr;  // the effect RequestEditorSize asks for

class SelfSizing : public TestEffect {
public:
    explicit SelfSizing(vst::HostCallbackProc host) : TestEffect(host, "Self-sizing", 2, 2) {
        effect.flags |= vst::effFlagsHasEditor;
        latest = this;
    }
    ~SelfSizing() override {
        if (latest == this) {
            latest = nullptr;
        }
    }

    intptr_t AskForSize(int32_t width, int32_t height) {
        // The raw request number, not the host's constant: a wrong constant must not pass.
        editorLog.sizeAnswer = host(&effect, editorLog.sizeOpcode, width, height, nullptr, 0);
        if (editorLog.sizeAnswer == 1) {
            rect = vst::ERect{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
            known = true;
        }
        return editorLog.sizeAnswer;
    }

protected:
    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                      float opt) override {
        editorLog.opcodes.push_back(opcode);
        switch (opcode) {
            case vst::effEditGetRect:
                if (!known) {
                    return 0;
                }
                *static_cast<vst::ERect**>(ptr) = &rect;
                return 1;
            case vst::effEditOpen:
                editorLog.parent = reinterpret_cast<uintptr_t>(ptr);
                if (editorLog.openWidth > 0 && editorLog.openHeight > 0) {
                    AskForSize(editorLog.openWidth, editorLog.openHeight);
                }
                return 1;
            case vst::effEditClose:
                known = false;
                return 0;
            default:
                return TestEffect::Dispatch(opcode, index, value, ptr, opt);
        }
    }

private:
    vst::ERect rect{};
    bool known = false;
};

}  // namespace

ORVANE_PLUGIN_EXPORT EditorLog* EditorLogOf() {
    return &editorLog;
}

ORVANE_PLUGIN_EXPORT intptr_t RequestEditorSize(int32_t width, int32_t height) {
    return latest != nullptr ? latest->AskForSize(width, height) : -1;
}

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new SelfSizing(host))->Effect();
}
