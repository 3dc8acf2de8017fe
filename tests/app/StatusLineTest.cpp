// The status bar's first pane as a model: which of several speakers' texts wins, and how
// long each stays.

#include "app/StatusLine.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Priority = StatusLine::Priority;
using namespace std::chrono_literals;

const StatusLine::Clock::time_point t0{};

// Each case starts from the prompt "Ready", acts, and reads the pane and its tooltip.
TEST(StatusLine, TheMostImportantEntryWinsAndTheTooltipHoldsThemAll) {
    const struct {
        const char* name;
        std::function<void(StatusLine&)> act;
        const char* text;
        const char* tooltip;
    } cases[] = {
        {"the prompt alone", [](StatusLine&) {}, "Ready", "Ready"},
        {"progress over the prompt; later progress of another topic first",
         [](StatusLine& s) {
             s.SetProgress("plug-ins", "Examining plug-ins: 3 of 10");
             s.SetProgress("waveform", "Reading the waveform: 40%");
             s.SetProgress("plug-ins", "Examining plug-ins: 4 of 10");  // keeps its place
         },
         "Reading the waveform: 40%",
         "Reading the waveform: 40%\nExamining plug-ins: 4 of 10\nReady"},
        {"ended progress leaves no trace",
         [](StatusLine& s) {
             s.SetProgress("waveform", "Reading the waveform: 99%");
             s.SetProgress("waveform", "");
         },
         "Ready", "Ready"},
        {"a note does not hide progress",
         [](StatusLine& s) {
             s.SetProgress("waveform", "Reading the waveform: 10%");
             s.Post("render", "Rendered 0:00:05.000", Priority::kNote, t0);
         },
         "Reading the waveform: 10%", "Reading the waveform: 10%\nRendered 0:00:05.000\nReady"},
        {"a warning hides progress, an error hides an older warning",
         [](StatusLine& s) {
             s.SetProgress("plug-ins", "Examining plug-ins: 1 of 2");
             s.Post("recovery", "No recovery copy: the disk is full", Priority::kError, t0);
             s.Post("plug-ins",
                    "1 plug-in(s) failed their examination: see VST Plugins > "
                    "Choose Plug-in...",
                    Priority::kWarning, t0);
         },
         "No recovery copy: the disk is full",
         "No recovery copy: the disk is full\n1 plug-in(s) failed their examination: see VST "
         "Plugins > Choose Plug-in...\nExamining plug-ins: 1 of 2\nReady"},
        {"a topic's second message replaces its first; a withdrawn one goes",
         [](StatusLine& s) {
             s.Post("recovery", "No recovery copy: the disk is full", Priority::kError, t0);
             s.Post("recovery", "Recovery copy written again", Priority::kNote, t0);
             s.Post("render", "Rendered", Priority::kWarning, t0);
             s.Withdraw("render");
         },
         "Recovery copy written again", "Recovery copy written again\nReady"},
        {"notes pass first, warnings later, errors stay",
         [](StatusLine& s) {
             s.Post("a", "note", Priority::kNote, t0);
             s.Post("b", "warning", Priority::kWarning, t0);
             s.Post("c", "error", Priority::kError, t0);
             EXPECT_FALSE(s.Expire(t0 + 7s));
             EXPECT_TRUE(s.Expire(t0 + 8s));
             EXPECT_EQ(s.FullText(), "error\nwarning\nReady");
             EXPECT_TRUE(s.Expire(t0 + 30s));
             EXPECT_FALSE(s.HasExpiring());
             EXPECT_FALSE(s.Expire(t0 + 24h));
         },
         "error", "error\nReady"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StatusLine status;
        status.SetPrompt("Ready");
        c.act(status);
        EXPECT_EQ(status.Text(), c.text);
        EXPECT_EQ(status.FullText(), c.tooltip);
    }
}

}  // namespace
