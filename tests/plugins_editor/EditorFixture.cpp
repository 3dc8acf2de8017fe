#include "EditorFixture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <wx/app.h>

#include <algorithm>

#include "platform/X11Window.h"
#include "tests/plugins/WindowProbe.h"

void EditorFixture::SetUp() {
    Configure();
    owner = new testing_support::GuiTestFrame();
    owner->SetClientSize(600, 400);
    owner->Show();
    editors = std::make_unique<PluginEditors>(host, owner);
}

void EditorFixture::TearDown() {
    editors.reset();
    while (!host.IsChainEmpty()) {
        host.RemoveEffect(0);
    }
    testing_support::DestroyNow(owner);
    Settle();
}

vst::AEffect* EditorFixture::ScanAndInsert(const std::string& name) {
    // Catalogue entry 0, whose name titles the editor.
    const PluginInfo info = host.Examine(Installed(name + ".so"));
    EXPECT_TRUE(info.ok) << info.failure;
    host.SetCatalog({info});
    return Insert(name);
}

void* EditorFixture::Symbol(const std::string& fileName, const char* name) {
    platform::SharedLibrary& library = libraries[fileName];
    if (!library.IsOpen()) {
        EXPECT_TRUE(library.Open(Installed(fileName))) << library.ErrorText();
    }
    void* symbol = library.Symbol(name);
    EXPECT_NE(symbol, nullptr) << fileName << ": " << name;
    return symbol;
}

EditorLog& EditorFixture::LogOf(const std::string& name) {
    auto logOf = reinterpret_cast<EditorLogProc>(Symbol(name + ".so", "EditorLogOf"));
    EditorLog* log = logOf();
    log->Clear();
    return *log;
}

void EditorFixture::RunFor(std::chrono::milliseconds duration) {
    const auto until = std::chrono::steady_clock::now() + duration;
    testing_support::WaitUntil([&] { return std::chrono::steady_clock::now() >= until; },
                               duration + std::chrono::seconds(1));
}

void EditorFixture::Settle() {
    wxTheApp->ProcessPendingEvents();
    wxTheApp->Yield(true);
    wxTheApp->ProcessIdle();
}

int EditorFixture::LiveEditorWindows() {
    return static_cast<int>(std::count_if(
        wxTopLevelWindows.begin(), wxTopLevelWindows.end(), [](const wxWindow* window) {
            return dynamic_cast<const EditorFrame*>(window) != nullptr &&
                   !window->IsBeingDeleted() && !wxPendingDelete.Member(window);
        }));
}

namespace {

// One connection for the tests' own questions to the X server.
Display* TestDisplay() {
    static Display* display = XOpenDisplay(nullptr);
    return display;
}

}  // namespace

bool X11WindowExists(uintptr_t window) {
    Display* display = TestDisplay();
    return display != nullptr && window != 0 && X11WindowExistsOn(display, window);
}

bool EditorFixture::WaitUntilOnScreen(wxWindow* window) {
    Display* display = TestDisplay();
    const uintptr_t id = platform::X11WindowId(static_cast<GtkWidget*>(window->GetHandle()));
    const bool viewable = display != nullptr && id != 0 && testing_support::WaitUntil([&] {
                              XWindowAttributes attributes;
                              return X11WindowAttributesOn(display, id, attributes) &&
                                     attributes.map_state == IsViewable;
                          });
    // The server sent the map's notice before answering; this handles it.
    Settle();
    return viewable;
}

bool MapMissingWindowOnNewConnection() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return false;
    }
    XMapWindow(display, 0x3FFFFFFF);  // no such window
    XSync(display, False);
    XCloseDisplay(display);
    return true;
}

std::vector<uint32_t> CaptureScreen(const wxRect& area) {
    Display* display = TestDisplay();
    std::vector<uint32_t> pixels;
    if (display == nullptr || area.IsEmpty()) {
        return pixels;
    }
    XImage* image = XGetImage(display, DefaultRootWindow(display), area.x, area.y,
                              static_cast<unsigned>(area.width), static_cast<unsigned>(area.height),
                              AllPlanes, ZPixmap);
    if (image == nullptr) {
        return pixels;
    }
    // Each colour channel to 8 bits through the visual's masks.
    auto channel = [](unsigned long pixel, unsigned long mask) -> uint32_t {
        if (mask == 0) {
            return 0;
        }
        const int shift = __builtin_ctzl(mask);
        const unsigned long max = mask >> shift;
        return static_cast<uint32_t>(((pixel & mask) >> shift) * 255 / max);
    };
    for (int y = 0; y < area.height; ++y) {
        for (int x = 0; x < area.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            pixels.push_back(channel(pixel, image->red_mask) << 16 |
                             channel(pixel, image->green_mask) << 8 |
                             channel(pixel, image->blue_mask));
        }
    }
    XDestroyImage(image);
    return pixels;
}

double ShareOf(const std::vector<uint32_t>& pixels, uint32_t rgb) {
    if (pixels.empty()) {
        return 0;
    }
    return static_cast<double>(std::count(pixels.begin(), pixels.end(), rgb)) /
           static_cast<double>(pixels.size());
}

double ShareOtherThan(const std::vector<uint32_t>& pixels, uint32_t rgb) {
    return pixels.empty() ? 0 : 1.0 - ShareOf(pixels, rgb);
}
