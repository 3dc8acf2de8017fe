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

namespace {

// A failed wxWidgets assertion fails the running test instead of opening a dialog that
// would block the program.
void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_str(), line) << "wxWidgets assertion in " << func.utf8_str() << ": "
                                          << cond.utf8_str() << " " << msg.utf8_str();
}

}  // namespace

int main(int argc, char** argv) {
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
