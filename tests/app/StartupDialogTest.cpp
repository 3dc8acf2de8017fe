// The program's start-up messages, run as a user runs them on an X server of the test's own:
// with a window manager (openbox, which stacks a dialog below a window it takes in later) and
// without one. Each message must belong to the main window, be stacked above it and fit on
// the screen.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

#include "support/TestWav.h"

// After GoogleTest: Xlib defines None and Bool as macros.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

using namespace std::chrono_literals;

namespace {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;

// A program started in the background and ended, by its pid, when the object goes.
class Spawned {
public:
    Spawned(const std::vector<std::string>& command, const std::map<std::string, std::string>& env,
            int passFd = -1) {
        std::vector<std::string> environment;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            if (env.count(entry.substr(0, entry.find('='))) == 0) {
                environment.push_back(entry);
            }
        }
        for (const auto& [name, value] : env) {
            environment.push_back(name + "=" + value);
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (passFd >= 0) {
            posix_spawn_file_actions_adddup2(&actions, passFd, 3);
        }
        const std::vector<char*> argv = Pointers(command);
        const std::vector<char*> envp = Pointers(environment);
        if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
            pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Spawned() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            int status = 0;
            waitpid(pid, &status, 0);
        }
    }
    Spawned(const Spawned&) = delete;
    Spawned& operator=(const Spawned&) = delete;

    bool Started() const { return pid > 0; }

private:
    static std::vector<char*> Pointers(const std::vector<std::string>& texts) {
        std::vector<char*> pointers;
        for (const std::string& text : texts) {
            pointers.push_back(const_cast<char*>(text.c_str()));
        }
        pointers.push_back(nullptr);
        return pointers;
    }

    pid_t pid = -1;
};

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// An X server of the test's own (so a window manager disturbs no other test), optionally
// with openbox on it.
class OwnDisplay {
public:
    explicit OwnDisplay(bool windowManager) {
        int ready[2];
        if (pipe(ready) != 0) {
            return;
        }
        const std::string screen =
            std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24";
        server =
            std::make_unique<Spawned>(std::vector<std::string>{"Xvfb", "-displayfd", "3", "-screen",
                                                               "0", screen, "-nolisten", "tcp"},
                                      std::map<std::string, std::string>{}, ready[1]);
        close(ready[1]);
        std::string number;
        char c = 0;
        while (read(ready[0], &c, 1) == 1 && c != '\n') {
            number += c;
        }
        close(ready[0]);
        if (number.empty()) {
            return;
        }
        name = ":" + number;
        display = XOpenDisplay(name.c_str());
        if (display == nullptr || !windowManager) {
            return;
        }
        wm = std::make_unique<Spawned>(std::vector<std::string>{"openbox"},
                                       std::map<std::string, std::string>{{"DISPLAY", name}});
        const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
        managed = WaitFor([&] { return !Windows(DefaultRootWindow(display), check).empty(); }, 10s);
    }
    ~OwnDisplay() {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }

    // The windows in property `property` of `window`.
    std::vector<Window> Windows(Window window, Atom property) const {
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        std::vector<Window> windows;
        if (XGetWindowProperty(display, window, property, 0, 4096, False, XA_WINDOW, &type, &format,
                               &count, &after, &data) == Success &&
            data != nullptr) {
            const auto* ids = reinterpret_cast<const unsigned long*>(data);
            windows.assign(ids, ids + count);
            XFree(data);
        }
        return windows;
    }

    // The top-level windows from bottom to top: the manager's stacking list, or without a
    // manager the root's children, which the server keeps in stacking order.
    std::vector<Window> Stacking() const {
        if (wm != nullptr) {
            return Windows(DefaultRootWindow(display),
                           XInternAtom(display, "_NET_CLIENT_LIST_STACKING", False));
        }
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        std::vector<Window> windows;
        if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
            windows.assign(children, children + count);
            XFree(children);
        }
        return windows;
    }

    bool Viewable(Window window) const {
        XWindowAttributes attributes;
        return XGetWindowAttributes(display, window, &attributes) &&
               attributes.map_state == IsViewable;
    }

    // The window's place and size on the screen.
    XRectangle Bounds(Window window) const {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, window, &attributes);
        int x = 0;
        int y = 0;
        Window child = 0;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
        return {static_cast<short>(x), static_cast<short>(y),
                static_cast<unsigned short>(attributes.width),
                static_cast<unsigned short>(attributes.height)};
    }

    std::string name;
    Display* display = nullptr;
    bool managed = false;

private:
    std::unique_ptr<Spawned> server;
    std::unique_ptr<Spawned> wm;
};

// The shown dialog and the window it belongs to, once both are on the screen.
struct Pair {
    Window dialog = 0;
    Window owner = 0;
    size_t dialogPlace = 0;
    size_t ownerPlace = 0;
};

Pair FindDialog(const OwnDisplay& x) {
    const std::vector<Window> stacking = x.Stacking();
    for (size_t i = 0; i < stacking.size(); ++i) {
        Window owner = 0;
        if (!XGetTransientForHint(x.display, stacking[i], &owner) || !x.Viewable(stacking[i])) {
            continue;
        }
        for (size_t j = 0; j < stacking.size(); ++j) {
            if (stacking[j] == owner && x.Viewable(owner)) {
                return {stacking[i], owner, i, j};
            }
        }
    }
    return {};
}

TEST(StartupDialogs, StackedAboveTheMainWindowWithAndWithoutAWindowManager) {
    testing_support::TempDir dir;
    std::ofstream(dir.File("broken.orvane")) << "not a session\n";
    std::vector<std::string> hundred;
    for (int i = 0; i < 100; ++i) {
        hundred.push_back(dir.File("a folder with a rather long name/missing file " +
                                   std::to_string(i) + ".wav"));
    }
    const struct {
        const char* what;
        std::vector<std::string> arguments;
    } cases[] = {
        {"a missing file", {dir.File("missing.wav")}},
        {"a session that cannot be opened", {dir.File("broken.orvane")}},
        {"a hundred refused files", hundred},
    };
    std::filesystem::create_directories(dir.Path() / "vst");
    std::ofstream(dir.File("asoundrc")) << "pcm.!default { type null }\n";
    for (const bool windowManager : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (windowManager ? ", openbox" : ", no manager"));
            OwnDisplay x(windowManager);
            ASSERT_NE(x.display, nullptr) << "no X server of its own (Xvfb)";
            ASSERT_EQ(x.managed, windowManager) << "openbox did not start";
            std::vector<std::string> command = {ORVANE_PROGRAM};
            command.insert(command.end(), c.arguments.begin(), c.arguments.end());
            const Spawned program(command, {{"DISPLAY", x.name},
                                            {"HOME", dir.Path().string()},
                                            {"XDG_CONFIG_HOME", dir.File("config")},
                                            {"XDG_CACHE_HOME", dir.File("cache")},
                                            {"XDG_STATE_HOME", dir.File("state")},
                                            {"VST_PATH", dir.File("vst")},
                                            {"ALSA_CONFIG_PATH",
                                             "/usr/share/alsa/alsa.conf:" + dir.File("asoundrc")}});
            ASSERT_TRUE(program.Started());
            Pair shown;
            ASSERT_TRUE(WaitFor(
                [&] {
                    shown = FindDialog(x);
                    return shown.dialog != 0;
                },
                30s))
                << "no dialog on the screen that belongs to a shown window";
            // A manager stacks a window it takes in later above what it holds: give it time.
            std::this_thread::sleep_for(500ms);
            shown = FindDialog(x);
            ASSERT_NE(shown.dialog, 0u) << "the dialog went";
            EXPECT_GT(shown.dialogPlace, shown.ownerPlace) << "the dialog is below its window";
            const XRectangle box = x.Bounds(shown.dialog);
            EXPECT_GE(box.y, 0);
            EXPECT_LE(box.y + box.height, kScreenHeight) << "the dialog's foot is off the screen";
            EXPECT_GE(box.x, 0);
            EXPECT_LE(box.x + box.width, kScreenWidth);
        }
    }
}

}  // namespace
