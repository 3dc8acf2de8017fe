// The generated parameter dialog, on the dials test plug-in: its rows' geometry and texts,
// the slider scale both ways, the virtual list over many parameters (scrolling, the filter,
// the time to open), fitting the screen, and the value texts.

#include <wx/display.h>
#include <wx/panel.h>
#include <wx/scrolbar.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/tooltip.h>

#include <chrono>
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
        editors->OpenEditor(0);
        auto* dialog = dynamic_cast<GeneratedParameterDialog*>(editors->Window());
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }

    static void MoveSlider(wxSlider* slider, int position) {
        slider->SetValue(position);
        wxCommandEvent moved(wxEVT_SLIDER, slider->GetId());
        moved.SetEventObject(slider);
        moved.SetInt(position);
        slider->HandleWindowEvent(moved);
    }

    static wxString ToolTipOf(wxWindow* window) {
        wxToolTip* tip = window->GetToolTip();
        return tip != nullptr ? tip->GetTip() : wxString();
    }

    vst::AEffect* effect = nullptr;
};

// The dials plug-in's starting values: 0.5, 1.0 and 0.25 in turn.
float StartValueOf(int parameter) {
    const float values[] = {0.5f, 1.0f, 0.25f};
    return values[parameter % 3];
}

const wxString kLongName = "Parameter one with a name far longer than its row";
const wxString kLongValue = "1.00 dB of a label longer than nineteen characters";

TEST_F(GeneratedDialogFixture, ThreeParametersGiveThreeRowsInDialogUnits) {
    GeneratedParameterDialog* dialog = OpenDials(3);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetTitle(), "Dials");
    EXPECT_TRUE(dialog->IsShown());
    ASSERT_EQ(dialog->VisibleRows(), 3);
    EXPECT_FALSE(dialog->ScrollBar()->IsShown()) << "every row fits";
    wxPanel* area = dialog->RowArea();

    struct Column {
        int x;
        int width;
        wxWindow* (*of)(GeneratedParameterDialog*, int);
    };
    const Column columns[] = {
        {0, 50, [](GeneratedParameterDialog* d, int k) -> wxWindow* { return d->NameAt(k); }},
        {51, 100, [](GeneratedParameterDialog* d, int k) -> wxWindow* { return d->SliderAt(k); }},
        {152, 50, [](GeneratedParameterDialog* d, int k) -> wxWindow* { return d->ValueAt(k); }},
    };
    for (const Column& column : columns) {
        for (int row = 0; row < 3; ++row) {
            SCOPED_TRACE(testing::Message() << "x " << column.x << " row " << row);
            wxWindow* window = column.of(dialog, row);
            EXPECT_EQ(window->GetPosition(),
                      area->ConvertDialogToPixels(wxPoint(column.x, 10 * row)));
            EXPECT_EQ(window->GetSize(), area->ConvertDialogToPixels(wxSize(column.width, 9)));
        }
    }
    EXPECT_EQ(area->GetSize(), area->ConvertDialogToPixels(wxSize(210, 30)));
    EXPECT_EQ(dialog->GetClientSize().y, dialog->FilterField()->GetSize().y + area->GetSize().y);

    EXPECT_EQ(dialog->NameAt(0)->GetLabelText(), "Dial 1");
    EXPECT_EQ(dialog->NameAt(1)->GetLabelText(), kLongName);
    EXPECT_EQ(dialog->NameAt(2)->GetLabelText(), "Dial 3");
    EXPECT_EQ(dialog->ValueAt(0)->GetLabelText(), "0.50 dB") << "two decimals as given";
    EXPECT_EQ(dialog->ValueAt(1)->GetLabelText(), kLongValue);
    EXPECT_EQ(dialog->ValueAt(2)->GetLabelText(), "0.25 dB");
    EXPECT_EQ(dialog->NameAt(0)->GetWindowStyle() & wxALIGN_RIGHT, wxALIGN_RIGHT);

    // 0.5 -> 127, 1.0 -> 255, 0.25 -> 63, on a scale of 0..255 paged by 4.
    const int expected[] = {127, 255, 63};
    for (int i = 0; i < 3; ++i) {
        wxSlider* slider = dialog->SliderAt(i);
        EXPECT_EQ(slider->GetValue(), expected[i]) << i;
        EXPECT_EQ(slider->GetMin(), 0);
        EXPECT_EQ(slider->GetMax(), 255);
        EXPECT_EQ(slider->GetPageSize(), 4);
    }
}

TEST_F(GeneratedDialogFixture, MovingASliderSetsItsParameterAndRewritesItsValueText) {
    GeneratedParameterDialog* dialog = OpenDials(3);
    ASSERT_NE(dialog, nullptr);
    wxSlider* slider = dialog->SliderAt(2);
    MoveSlider(slider, 128);
    EXPECT_EQ(effect->getParameter(effect, 2), 128 * (1.0f / 255.0f));
    EXPECT_EQ(dialog->ValueAt(2)->GetLabelText(), "0.50 dB");
    MoveSlider(slider, 255);
    EXPECT_EQ(effect->getParameter(effect, 2), 1.0f);
    EXPECT_EQ(dialog->ValueAt(2)->GetLabelText(), "1.00 dB");
    MoveSlider(slider, 0);
    EXPECT_EQ(effect->getParameter(effect, 2), 0.0f);
    EXPECT_EQ(dialog->ValueAt(2)->GetLabelText(), "0.00 dB");
    // The other rows are left alone.
    EXPECT_EQ(effect->getParameter(effect, 0), 0.5f);
    EXPECT_EQ(dialog->ValueAt(0)->GetLabelText(), "0.50 dB");
}

TEST_F(GeneratedDialogFixture, TextsWiderThanTheirRowStayWholeAndGoIntoATooltip) {
    GeneratedParameterDialog* dialog = OpenDials(3);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ToolTipOf(dialog->NameAt(1)), kLongName);
    EXPECT_EQ(ToolTipOf(dialog->ValueAt(1)), kLongValue);
    EXPECT_EQ(ToolTipOf(dialog->NameAt(0)), "");
    EXPECT_EQ(ToolTipOf(dialog->ValueAt(0)), "");
}

TEST_F(GeneratedDialogFixture, NoParametersGiveAnEmptyWindowWithItsTitle) {
    GeneratedParameterDialog* dialog = OpenDials(0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetTitle(), "Dials");
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_EQ(dialog->RowCount(), 0);
    EXPECT_EQ(dialog->VisibleRows(), 0);
    EXPECT_TRUE(dialog->RowArea()->GetChildren().empty());
    EXPECT_EQ(dialog->GetClientSize().x,
              dialog->RowArea()->ConvertDialogToPixels(wxSize(210, 0)).x);
}

TEST_F(GeneratedDialogFixture, ThreeHundredParametersScrollThroughRowsThatFitTheScreen) {
    GeneratedParameterDialog* dialog = OpenDials(300);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->RowCount(), 300);
    const int visible = dialog->VisibleRows();
    EXPECT_LT(visible, 300) << "only the rows the screen can show are windows";
    EXPECT_EQ(dialog->RowArea()->GetChildren().size(), 3u * static_cast<size_t>(visible));
    EXPECT_TRUE(dialog->ScrollBar()->IsShown());
    EXPECT_EQ(dialog->ScrollBar()->GetRange(), 300);

    // The whole window, with room for a title bar, inside the work area.
    const wxRect screen = wxDisplay(wxDisplay::GetFromWindow(dialog)).GetClientArea();
    EXPECT_LE(dialog->GetSize().y + dialog->ConvertDialogToPixels(wxSize(0, 16)).y, screen.height);

    dialog->ScrollTo(300);  // past the end: the last rows show
    EXPECT_EQ(dialog->FirstShown(), 300 - visible);
    EXPECT_EQ(dialog->ParameterAt(visible - 1), 299);
    EXPECT_EQ(dialog->NameAt(visible - 1)->GetLabelText(), "Dial 300");
    EXPECT_EQ(dialog->SliderAt(visible - 1)->GetValue(), 63);  // 0.25
    EXPECT_EQ(dialog->ScrollBar()->GetThumbPosition(), 300 - visible);

    // A slider in a scrolled row sets the parameter it shows now.
    MoveSlider(dialog->SliderAt(visible - 1), 255);
    EXPECT_EQ(effect->getParameter(effect, 299), 1.0f);
    EXPECT_EQ(effect->getParameter(effect, visible - 1), StartValueOf(visible - 1));
}

TEST_F(GeneratedDialogFixture, FourThousandParametersOpenAtOnceAndTheFilterFindsOne) {
    const auto start = std::chrono::steady_clock::now();
    GeneratedParameterDialog* dialog = OpenDials(GeneratedParameterDialog::kMaxRows);
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_NE(dialog, nullptr);
    // Measured in bench/; here only a loose bound that building every row (a minute) fails.
    EXPECT_LT(took, std::chrono::seconds(3));
    EXPECT_EQ(dialog->RowCount(), 4096);

    dialog->FilterField()->SetValue("dIAL 4000");  // as typed: sends the text event
    ASSERT_EQ(dialog->ShownCount(), 1);
    EXPECT_EQ(dialog->ParameterAt(0), 3999);
    EXPECT_EQ(dialog->NameAt(0)->GetLabelText(), "Dial 4000");
    EXPECT_EQ(dialog->ParameterAt(1), -1);
    EXPECT_FALSE(dialog->NameAt(1)->IsShown()) << "rows past the matches are hidden";
    MoveSlider(dialog->SliderAt(0), 0);
    EXPECT_EQ(effect->getParameter(effect, 3999), 0.0f);

    dialog->FilterField()->SetValue("Dial 12");
    EXPECT_EQ(dialog->ShownCount(), 1 + 10 + 100) << "12, 120-129, 1200-1299";
    dialog->FilterField()->SetValue("");
    EXPECT_EQ(dialog->ShownCount(), 4096);
    EXPECT_EQ(dialog->ParameterAt(0), 0);
}

TEST(ValueText, ShowsTheDisplayThenASpaceAndTheUnit) {
    const struct {
        const char* display;
        const char* label;
        const char* shown;
    } cases[] = {
        {"6.000000", "bits", "6 bits"},  // an unformatted float: C's six decimals
        {"220.000000", "Hz", "220 Hz"},
        {"-12.250000", "dB", "-12.25 dB"},
        {"0.000000", "dB", "0 dB"},
        {"0.500000", "", "0.5"},
        {"0.50", "dB", "0.50 dB"},          // formatted by the plug-in: kept
        {"1.0000000", "s", "1.0000000 s"},  // seven decimals: not the default, kept
        {"On", "", "On"},
        {"", "dB", "dB"},
        {" 3.5 ", " ms ", "3.5 ms"},
        {"x.000000", "", "x.000000"},
        {".000000", "", ".000000"},
        {"1e+06", "Hz", "1e+06 Hz"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GeneratedParameterDialog::ValueText(c.display, c.label), c.shown)
            << c.display << "|" << c.label;
    }
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
