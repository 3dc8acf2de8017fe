// The dialogs as the user sees them: every control inside its dialog and clear of the others,
// and the dialog on the screen; and what the About box says.

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/display.h>
#include <wx/stattext.h>

#include <functional>
#include <memory>
#include <regex>

#include "app/AboutDialog.h"
#include "app/FrameFixture.h"
#include "app/PluginChooser.h"
#include "plugins/PluginHost.h"
#include "render/RenderDialog.h"

using namespace testing_support;

namespace {

class DialogLayout : public FrameFixture {};

void ExpectTidy(wxDialog* dialog) {
    const wxRect client(wxPoint(0, 0), dialog->GetClientSize());
    std::vector<wxWindow*> controls;
    for (wxWindow* child : dialog->GetChildren()) {
        if (child->IsShown()) {
            controls.push_back(child);
        }
    }
    ASSERT_GE(controls.size(), 2u);
    for (size_t i = 0; i < controls.size(); ++i) {
        const wxRect rect = controls[i]->GetRect();
        const wxString name = controls[i]->GetClassInfo()->GetClassName() + wxString(" \"") +
                              controls[i]->GetLabel() + "\"";
        EXPECT_TRUE(client.Contains(rect)) << name << " reaches outside the dialog";
        EXPECT_FALSE(rect.IsEmpty()) << name << " has no size";
        for (size_t j = i + 1; j < controls.size(); ++j) {
            EXPECT_FALSE(rect.Intersects(controls[j]->GetRect()))
                << name << " lies over " << controls[j]->GetClassInfo()->GetClassName() << " \""
                << controls[j]->GetLabel() << "\"";
        }
    }
    const wxRect screen = wxDisplay(0u).GetClientArea();
    EXPECT_LE(dialog->GetSize().x, screen.width);
    EXPECT_LE(dialog->GetSize().y, screen.height);
}

TEST_F(DialogLayout, ControlsInsideTheDialogAndClearOfEachOther) {
    const struct {
        const char* name;
        std::function<wxDialog*()> make;
    } dialogs[] = {
        {"Render to File",
         [&]() -> wxDialog* {
             auto* render = new RenderDialog(frame, files);
             render->Attach(&frame->Host(), &frame->GetWorkspace());
             return render;
         }},
        {"About Orvane", [&]() -> wxDialog* { return new AboutDialog(frame); }},
        {"Choose Plug-in",
         [&]() -> wxDialog* { return new PluginChooser(frame, frame->Host().Catalog(), {}); }},
    };
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.name);
        wxDialog* dialog = d.make();
        EXPECT_EQ(dialog->GetTitle(), d.name);
        dialog->Show();
        ProcessPendingUi(dialog);
        ExpectTidy(dialog);
        if (auto* render = dynamic_cast<RenderDialog*>(dialog)) {
            EXPECT_EQ(render->GetDefaultItem(), static_cast<wxWindow*>(render->StartButton()))
                << "Enter starts";
        }
        dialog->Destroy();
        ProcessPendingUi(frame);
    }
}

TEST_F(DialogLayout, AboutNamesTheVersionTheLibrariesAndTheLicence) {
    AboutDialog about(frame);
    const std::string text = about.Text().utf8_string();
    for (const char* pattern : {
             R"(^Orvane [0-9]+\.[0-9]+)",
             R"(\n *wxWidgets 3\.[0-9]+\.[0-9]+ \(wxWindows Library Licence\))",
             R"(\n *PortAudio 19\.[0-9]+\.[0-9]+ \(MIT licence\))",
             R"(\n *libsndfile [0-9]+\.[0-9]+\.[0-9]+ \(GNU LGPL 2\.1 or later\))",
             R"(\n *libsoxr [0-9]+\.[0-9]+\.[0-9]+ \(GNU LGPL 2\.1 or later\))",
             R"(licence)",
         }) {
        EXPECT_TRUE(std::regex_search(text, std::regex(pattern))) << pattern << " in\n" << text;
    }
    // What Text() says is what the box shows, whatever the lines' wrapping.
    std::string shown;
    for (wxWindow* child : about.GetChildren()) {
        if (auto* label = dynamic_cast<wxStaticText*>(child)) {
            shown += " " + label->GetLabelText().utf8_string();
        }
    }
    const auto words = [](const std::string& s) {
        return std::regex_replace(std::regex_replace(s, std::regex(R"(\s+)"), " "),
                                  std::regex(R"(^ | $)"), "");
    };
    EXPECT_EQ(words(shown), words(text));
}

}  // namespace
