// The main program of every GUI test: starts wxWidgets on the display, runs the tests, shuts
// wxWidgets down. Without a display the program fails with a message rather than skipping,
// so a missing X server never passes for success. Listing the tests needs no display.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/debug.h>
#include <wx/init.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// A failed wxWidgets assertion fails the running test instead of opening a dialog that
// would block the program.
void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_str(), line) << "wxWidgets assertion in " << func.utf8_str() << ": "
                                          << cond.utf8_str() << " " << msg.utf8_str();
}

constexpr int kStartAttempts = 5;
constexpr const char* kAttemptVariable = "ORVANE_GUI_TEST_START_ATTEMPT";

// A busy X server can refuse a connection for a moment (a full listen queue gives EAGAIN,
// and the toolkit does not try again). Start the program afresh a few times, a little later
// each time, before calling the display missing.
void StartAgainLater(char** originalArgv) {
    const char* text = std::getenv(kAttemptVariable);
    const int attempt = text != nullptr ? std::atoi(text) : 1;
    if (attempt >= kStartAttempts) {
        return;
    }
    std::fprintf(stderr, "GUI tests: the toolkit did not start (attempt %d); trying again.\n",
                 attempt);
    setenv(kAttemptVariable, std::to_string(attempt + 1).c_str(), 1);
    usleep(static_cast<useconds_t>(200'000 * attempt));
    execv("/proc/self/exe", originalArgv);
}

}  // namespace

int main(int argc, char** argv) {
    // InitGoogleTest removes its own flags from argv: keep the whole line for a restart.
    std::vector<char*> originalArgv(argv, argv + argc);
    originalArgv.push_back(nullptr);
    bool listOnly = false;
    for (int i = 1; i < argc; ++i) {
        listOnly |= std::strcmp(argv[i], "--gtest_list_tests") == 0;
    }
    testing::InitGoogleTest(&argc, argv);
    if (listOnly) {
        return RUN_ALL_TESTS();
    }

    // Plug-in editors need X11 window ids, also on a Wayland desktop.
    setenv("GDK_BACKEND", "x11", 1);
    wxSetAssertHandler(FailOnAssert);
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv)) {
        StartAgainLater(originalArgv.data());
        std::fprintf(stderr,
                     "GUI tests: wxWidgets could not start (no display?). "
                     "Run them under an X server, e.g. xvfb-run -a.\n");
        return 1;
    }
    if (!wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "GUI tests: the application failed to initialise.\n");
        wxEntryCleanup();
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
