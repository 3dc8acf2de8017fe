// The real message box (no test hook): the kind of message shows as the toolkit's icon beside
// the text, the buttons match the request, and the button pressed comes back as the answer.

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "platform/gui/MessageBox.h"
#include "support/GuiTestFrame.h"

using namespace testing_support;

namespace {

// Looks at the next dialog and answers it with `answer` before it is shown.
class LookAndAnswer : public wxModalDialogHook {
public:
    explicit LookAndAnswer(int answer) : answer_(answer) { Register(); }
    ~LookAndAnswer() override { Unregister(); }

    wxImage icon;
    wxString text;
    std::vector<wxString> buttons;
    wxString defaultButton;

protected:
    int Enter(wxDialog* dialog) override {
        if (auto* chosen = dynamic_cast<wxButton*>(dialog->GetDefaultItem())) {
            defaultButton = wxStripMenuCodes(chosen->GetLabel());
        }
        for (wxWindow* child : dialog->GetChildren()) {
            if (auto* bitmap = dynamic_cast<wxStaticBitmap*>(child)) {
                icon = bitmap->GetBitmap().ConvertToImage();
            } else if (auto* label = dynamic_cast<wxStaticText*>(child)) {
                text = label->GetLabel();
            } else if (auto* button = dynamic_cast<wxButton*>(child)) {
                buttons.push_back(button->GetLabel());
            }
        }
        return answer_;
    }
    void Exit(wxDialog*) override {}

private:
    int answer_;
};

TEST(RealMessageBox, ShowsTheIconOfItsKindAndReturnsTheAnswer) {
    using platform::MessageAnswer;
    using platform::MessageButtons;
    using platform::MessageIcon;
    const struct {
        MessageIcon icon;
        MessageButtons buttons;
        int pressed;
        MessageAnswer answer;
        std::vector<wxString> labels;
    } cases[] = {
        {MessageIcon::kError, MessageButtons::kOk, wxID_OK, MessageAnswer::kOk, {"OK"}},
        {MessageIcon::kError,
         MessageButtons::kRetryCancel,
         wxID_OK,
         MessageAnswer::kRetry,
         {"Retry", "Cancel"}},
        {MessageIcon::kError,
         MessageButtons::kRetryCancel,
         wxID_CANCEL,
         MessageAnswer::kCancel,
         {"Retry", "Cancel"}},
        {MessageIcon::kQuestion,
         MessageButtons::kOkCancel,
         wxID_CANCEL,
         MessageAnswer::kCancel,
         {"OK", "Cancel"}},
        {MessageIcon::kInformation, MessageButtons::kOk, wxID_OK, MessageAnswer::kOk, {"OK"}},
        {MessageIcon::kQuestion,
         MessageButtons::kRestoreDiscardLater,
         wxID_NO,
         MessageAnswer::kDiscard,
         {"Restore", "Discard", "Later"}},
        {MessageIcon::kQuestion,
         MessageButtons::kRestoreDiscardLater,
         wxID_CANCEL,  // Esc and the close box
         MessageAnswer::kLater,
         {"Restore", "Discard", "Later"}},
        {MessageIcon::kWarning,
         MessageButtons::kLocateCancel,
         wxID_OK,
         MessageAnswer::kLocate,
         {wxString::FromUTF8("Locate\u2026"), "Cancel"}},
    };
    auto* owner = new GuiTestFrame();
    owner->Show();
    std::vector<wxImage> icons;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "icon " << int(c.icon) << ", buttons " << int(c.buttons)
                                        << ", pressed " << c.pressed);
        LookAndAnswer look(c.pressed);
        const MessageAnswer answer = platform::ShowMessageBox(
            owner, {"Cannot open \"x.wav\": Permission denied.", "Orvane", c.buttons, c.icon});
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(look.text, "Cannot open \"x.wav\": Permission denied.");
        std::vector<wxString> labels;
        for (const wxString& label : look.buttons) {
            labels.push_back(wxStripMenuCodes(label));
        }
        std::sort(labels.begin(), labels.end());
        std::vector<wxString> expected = c.labels;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(labels, expected);
        if (c.buttons == MessageButtons::kRestoreDiscardLater) {
            EXPECT_EQ(look.defaultButton, "Restore") << "what Enter does";
        }
        ASSERT_TRUE(look.icon.IsOk()) << "no icon beside the text";
        EXPECT_GE(look.icon.GetWidth(), 16);
        icons.push_back(look.icon);
    }
    // The error icon is the same for every error, and another picture for information.
    const auto same = [](const wxImage& a, const wxImage& b) {
        return a.GetSize() == b.GetSize() &&
               std::equal(a.GetData(), a.GetData() + a.GetWidth() * a.GetHeight() * 3, b.GetData());
    };
    EXPECT_TRUE(same(icons[0], icons[1]));
    EXPECT_FALSE(same(icons[0], icons[4]));
    EXPECT_FALSE(same(icons[0], icons[3]));
    DestroyNow(owner);
}

}  // namespace
