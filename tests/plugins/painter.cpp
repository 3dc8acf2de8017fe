// An effect with an editor of its own, 400 x 300 pixels, drawn with Xlib in one solid colour
// (kPainterRgb) in a child of the host's window. Like real Linux plug-ins it handles its X
// events and draws only on effEditOpen and effEditIdle, so without idle calls from the host
// its window stays black. Logs every dispatcher call and whether the host's window still
// existed at effEditClose.

#include <X11/Xlib.h>

#include "EditorLog.h"
#include "TestEffect.h"
#include "WindowProbe.h"

namespace {

constexpr unsigned long kPainterRgb = 0x20C040;
constexpr int kWidth = 400;
constexpr int kHeight = 300;

EditorLog editorLog;

class Painter : public TestEffect {
public:
    explicit Painter(vst::HostCallbackProc host) : TestEffect(host, "Painter", 2, 2) {
        effect.flags |= vst::effFlagsHasEditor;
    }

protected:
    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                      float opt) override {
        editorLog.opcodes.push_back(opcode);
        switch (opcode) {
            case vst::effEditGetRect:
                *static_cast<vst::ERect**>(ptr) = &rect;
                return 1;
            case vst::effEditOpen:
                return Open(reinterpret_cast<uintptr_t>(ptr));
            case vst::effEditIdle:
                ++editorLog.idles;
                Draw();
                return 0;
            case vst::effEditClose:
                Close();
                return 0;
            default:
                return TestEffect::Dispatch(opcode, index, value, ptr, opt);
        }
    }

private:
    intptr_t Open(uintptr_t parent) {
        editorLog.parent = parent;
        editorLog.idles = 0;
        display = XOpenDisplay(nullptr);
        if (display == nullptr) {
            return 0;
        }
        XColor colour{};
        colour.red = static_cast<unsigned short>(((kPainterRgb >> 16) & 0xFF) * 257);
        colour.green = static_cast<unsigned short>(((kPainterRgb >> 8) & 0xFF) * 257);
        colour.blue = static_cast<unsigned short>((kPainterRgb & 0xFF) * 257);
        XAllocColor(display, DefaultColormap(display, DefaultScreen(display)), &colour);
        const unsigned long black = BlackPixel(display, DefaultScreen(display));
        window = XCreateSimpleWindow(display, parent, 0, 0, kWidth, kHeight, 0, black, black);
        XSelectInput(display, window, ExposureMask);
        gc = XCreateGC(display, window, 0, nullptr);
        XSetForeground(display, gc, colour.pixel);
        XMapWindow(display, window);
        Draw();
        return 1;
    }

    void Draw() {
        if (display == nullptr) {
            return;
        }
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
        }
        XFillRectangle(display, window, gc, 0, 0, kWidth, kHeight);
        XFlush(display);
    }

    void Close() {
        if (display == nullptr) {
            return;
        }
        editorLog.parentAliveAtClose.push_back(X11WindowExistsOn(display, editorLog.parent));
        XFreeGC(display, gc);
        XDestroyWindow(display, window);
        XCloseDisplay(display);
        display = nullptr;
    }

    vst::ERect rect{0, 0, kHeight, kWidth};
    Display* display = nullptr;
    Window window = 0;
    GC gc = nullptr;
};

}  // namespace

ORVANE_PLUGIN_EXPORT EditorLog* EditorLogOf() {
    return &editorLog;
}

ORVANE_PLUGIN_EXPORT unsigned long PainterRgb() {
    return kPainterRgb;
}

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new Painter(host))->Effect();
}
