#pragma once

#include <wx/window.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../plugins_host/HostFixture.h"
#include "plugins/editor/PluginEditors.h"
#include "support/GuiTestFrame.h"
#include "tests/plugins/EditorLog.h"

/// The host of HostFixture with the editor windows over a shown owner frame.
class EditorFixture : public HostFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Catalogues the installed plug-in `name` alone and loads it into the chain.
    vst::AEffect* ScanAndInsert(const std::string& name);

    /// A symbol of an installed plug-in library, which the fixture keeps loaded.
    void* Symbol(const std::string& fileName, const char* name);
    /// The EditorLog of an installed editor test plug-in (name without ".so"), cleared.
    EditorLog& LogOf(const std::string& name);

    /// Runs the event loop (timers included) for `duration`.
    static void RunFor(std::chrono::milliseconds duration);
    /// Runs pending events and deletes windows whose destruction is pending.
    static void Settle();
    /// Waits until `window` is mapped as the X server sees it and the toolkit has handled
    /// that map: one handled later marks a window hidden meanwhile as shown again.
    static bool WaitUntilOnScreen(wxWindow* window);
    /// The editor windows that exist and are not being destroyed.
    static int LiveEditorWindows();

    testing_support::GuiTestFrame* owner = nullptr;
    std::unique_ptr<PluginEditors> editors;

private:
    std::map<std::string, platform::SharedLibrary> libraries;
};

/// Whether X11 window `window` exists, asked on a connection of our own.
bool X11WindowExists(uintptr_t window);

/// Causes one X error (BadWindow) on a new connection of our own, which the installed
/// handler sees; false when there is no display.
bool MapMissingWindowOnNewConnection();

/// The screen's pixels in `area`, as 0xRRGGBB.
std::vector<uint32_t> CaptureScreen(const wxRect& area);

/// The part of `pixels` equal to / other than `rgb`, from 0 to 1.
double ShareOf(const std::vector<uint32_t>& pixels, uint32_t rgb);
double ShareOtherThan(const std::vector<uint32_t>& pixels, uint32_t rgb);
