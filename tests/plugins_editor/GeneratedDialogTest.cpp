// The generated parameter dialog, on the dials test plug-in: its windows, their ids, geometry
// and texts, the slider scale both ways, and the rows of effects with no or many parameters.

#include <wx/display.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/tooltip.h>

#include <cmath>
#include <limits>

#include "EditorFixture.h"
#include "plugins/editor/GeneratedParameterDialog.h"

namespace {

using SetDialCountProc = void (*)(int32_t);

class GeneratedDialogFixture : public EditorFixture {
protected:
    /// Opens the dialog of a dials effect with `count` parameters.
    GeneratedParameterDialog* OpenDials(int32_t count) {
        Install({"dials"});
        reinterpret_cast<SetDialCountProc>(Symbol("dials.so", "SetDialCount"))(count);
        effect = ScanAndInsert("dials");
        editors->OpenEditor(0, 0);
        auto* dialog = dynamic_cast<GeneratedParameterDialog*>(editors->Window());
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }

    void MoveSlider(wxSlider* slider, int position) {
        slider->SetValue(position);
        wxCommandEvent moved(wxEVT_SLIDER, slider->GetId());
        moved.SetEventObject(slider);
        moved.SetInt(position);
        slider->HandleWindowEvent(moved);
    }

    static wxString TextOf(wxWindow* dialog, int id) {
        auto* text = wxDynamicCast(dialog->FindWindow(id), wxStaticText);
        return text != nullptr ? text->GetLabelText() : wxString("<missing>");
    }

    static wxString ToolTipOf(wxWindow* dialog, int id) {
        wxToolTip* tip = dialog->FindWindow(id)->GetToolTip();
        return tip != nullptr ? tip->GetTip() : wxString();
    }

    vst::AEffect* effect = nullptr;
};

const wxString kLongName = "Parameter one with a name far longer than its row";
const wxString kLongValue = "1.00dB of a label longer than nineteen characters";

TEST_F(GeneratedDialogFixture, ThreeParametersGiveNineWindowsInRowsOfDialogUnits) {
    GeneratedParameterDialog* dialog = OpenDials(3);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetTitle(), "Dials");
    EXPECT_TRUE(dialog->IsShown());
    wxScrolledWindow* area = dialog->RowArea();
    const wxWindowList& windows = area->GetChildren();
    ASSERT_EQ(windows.size(), 9u);

    // Names, then sliders, then value texts: x, width and class per group.
    struct Group {
        int x;
        int width;
        bool slider;
    };
    const Group groups[] = {{0, 50, false}, {51, 100, true}, {152, 50, false}};
    int id = 400;
    auto window = windows.begin();
    for (const Group& group : groups) {
        for (int row = 0; row < 3; ++row, ++id, ++window) {
            SCOPED_TRACE(id);
            EXPECT_EQ((*window)->GetId(), id);
            EXPECT_EQ(wxDynamicCast(*window, wxSlider) != nullptr, group.slider);
            EXPECT_EQ((*window)->GetPosition(),
                      area->ConvertDialogToPixels(wxPoint(group.x, 10 * row)));
            EXPECT_EQ((*window)->GetSize(), area->ConvertDialogToPixels(wxSize(group.width, 9)));
        }
    }
    EXPECT_EQ(dialog->GetClientSize(), area->ConvertDialogToPixels(wxSize(210, 30)));

    EXPECT_EQ(TextOf(dialog, 400), "Dial 1");
    EXPECT_EQ(TextOf(dialog, 401), kLongName);
    EXPECT_EQ(TextOf(dialog, 402), "Dial 3");
    EXPECT_EQ(TextOf(dialog, 406), "0.50dB");
    EXPECT_EQ(TextOf(dialog, 407), kLongValue);
    EXPECT_EQ(TextOf(dialog, 408), "0.25dB");
    EXPECT_EQ(static_cast<wxStaticText*>(dialog->FindWindow(400))->GetWindowStyle() & wxALIGN_RIGHT,
              wxALIGN_RIGHT);

    // 0.5 -> 127, 1.0 -> 255, 0.25 -> 63, on a scale of 0..255 paged by 4.
    const int expected[] = {127, 255, 63};
    for (int i = 0; i < 3; ++i) {
        auto* slider = wxDynamicCast(dialog->FindWindow(403 + i), wxSlider);
        ASSERT_NE(slider, nullptr);
        EXPECT_EQ(slider->GetValue(), expected[i]) << i;
        EXPECT_EQ(slider->GetMin(), 0);
        EXPECT_EQ(slider->GetMax(), 255);
        EXPECT_EQ(slider->GetPageSize(), 4);
    }
}

TEST_F(GeneratedDialogFixture, MovingASliderSetsItsParameterAndRewritesItsValueText) {
    GeneratedParameterDialog* dialog = OpenDials(3);
    ASSERT_NE(dialog, nullptr);
    auto* slider = wxDynamicCast(dialog->FindWindow(405), wxSlider);
    ASSERT_NE(slider, nullptr);

    MoveSlider(slider, 128);
    EXPECT_EQ(effect->getParameter(effect, 2), 128 * (1.0f / 255.0f));
    EXPECT_EQ(TextOf(dialog, 408), "0.50dB");
    MoveSlider(slider, 255);
    EXPECT_EQ(effect->getParameter(effect, 2), 1.0f);
    EXPECT_EQ(TextOf(dialog, 408), "1.00dB");
    MoveSlider(slider, 0);
    EXPECT_EQ(effect->getParameter(effect, 2), 0.0f);
    EXPECT_EQ(TextOf(dialog, 408), "0.00dB");
    // The other rows are left alone.
    EXPECT_EQ(effect->getParameter(effect, 0), 0.5f);
    EXPECT_EQ(TextOf(dialog, 406), "0.50dB");
}

TEST_F(GeneratedDialogFixture, TextsWiderThanTheirRowStayWholeAndGoIntoATooltip) {
    GeneratedParameterDialog* dialog = OpenDials(3);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ToolTipOf(dialog, 401), kLongName);
    EXPECT_EQ(ToolTipOf(dialog, 407), kLongValue);
    EXPECT_EQ(ToolTipOf(dialog, 400), "");
    EXPECT_EQ(ToolTipOf(dialog, 406), "");
}

TEST_F(GeneratedDialogFixture, NoParametersGiveAnEmptyWindowWithItsTitle) {
    GeneratedParameterDialog* dialog = OpenDials(0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetTitle(), "Dials");
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_EQ(dialog->RowCount(), 0);
    EXPECT_TRUE(dialog->RowArea()->GetChildren().empty());
    EXPECT_EQ(dialog->GetClientSize().x,
              dialog->RowArea()->ConvertDialogToPixels(wxSize(210, 0)).x);
}

TEST_F(GeneratedDialogFixture, ThreeHundredParametersAreAllReachableByScrolling) {
    GeneratedParameterDialog* dialog = OpenDials(300);
    ASSERT_NE(dialog, nullptr);
    wxScrolledWindow* area = dialog->RowArea();
    ASSERT_EQ(area->GetChildren().size(), 900u);
    EXPECT_EQ(area->GetVirtualSize().y, area->ConvertDialogToPixels(wxSize(0, 3000)).y);

    // No taller than the screen: the rows scroll instead.
    const wxRect screen = wxDisplay(wxDisplay::GetFromWindow(dialog)).GetClientArea();
    EXPECT_LE(dialog->GetSize().y, screen.height);
    EXPECT_LT(area->GetClientSize().y, area->GetVirtualSize().y);

    const wxRect visible(wxPoint(0, 0), area->GetClientSize());
    EXPECT_TRUE(visible.Contains(dialog->FindWindow(400 + 300)->GetRect()));
    area->Scroll(0, area->GetScrollRange(wxVERTICAL));
    Settle();
    for (int id : {299, 599, 899}) {
        wxWindow* last = dialog->FindWindow(400 + id);
        ASSERT_NE(last, nullptr);
        EXPECT_TRUE(visible.Contains(last->GetRect())) << id << " at " << last->GetRect().y;
    }
    EXPECT_EQ(TextOf(dialog, 400 + 299), "Dial 300");
    EXPECT_EQ(wxDynamicCast(dialog->FindWindow(400 + 599), wxSlider)->GetValue(), 63);  // 0.25
}

TEST(SliderPosition, IsTheLowEightBitsOfTheValueTimes255Truncated) {
    const std::pair<float, int> cases[] = {
        {0.0f, 0},
        {0.25f, 63},
        {0.5f, 127},
        {1.0f, 255},
        {0.999f, 254},
        {1.2f, 50},    // 306 & 255
        {-0.5f, 129},  // -127 & 255
        {std::numeric_limits<float>::quiet_NaN(), 0},
        {std::numeric_limits<float>::infinity(), 0},
    };
    for (const auto& [value, position] : cases) {
        EXPECT_EQ(GeneratedParameterDialog::SliderPosition(value), position) << value;
    }
}

}  // namespace
