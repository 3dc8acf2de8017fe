#include "platform/gui/MessageBox.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "platform/gui/DialogOwner.h"

namespace platform {
namespace {

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

wxArtID ArtOf(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::kError:
            return wxART_ERROR;
        case MessageIcon::kQuestion:
            return wxART_QUESTION;
        case MessageIcon::kWarning:
            return wxART_WARNING;
        case MessageIcon::kInformation:
            break;
    }
    return wxART_INFORMATION;
}

long ButtonsOf(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::kOk:
            return wxOK;
        case MessageButtons::kYesNo:
            return wxYES | wxNO | wxNO_DEFAULT;
        case MessageButtons::kSaveDontSaveCancel:
        case MessageButtons::kRestoreDiscardLater:
            return wxYES | wxNO | wxCANCEL;
        case MessageButtons::kOkCancel:
        case MessageButtons::kRetryCancel:
        case MessageButtons::kLocateCancel:
            break;
    }
    return wxOK | wxCANCEL;
}

int EscapeIdOf(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::kOk:
            return wxID_OK;
        case MessageButtons::kYesNo:
            return wxID_NO;
        case MessageButtons::kOkCancel:
        case MessageButtons::kRetryCancel:
        case MessageButtons::kLocateCancel:
        case MessageButtons::kSaveDontSaveCancel:
        case MessageButtons::kRestoreDiscardLater:
            break;
    }
    return wxID_CANCEL;
}

constexpr int kTextWidth = 440;       // pixels before a line wraps
constexpr int kRoomAroundText = 200;  // title bar, buttons and margins, with room to spare

// GTK's own message dialogs no longer show an icon, so the box is built here: the
// toolkit's icon for the kind of message beside the text, the buttons below.
class MessageDialog : public wxDialog {
public:
    MessageDialog(wxWindow* parent, const MessageRequest& request)
        : wxDialog(parent, wxID_ANY, request.caption) {
        auto* body = new wxBoxSizer(wxHORIZONTAL);
        const wxBitmap icon = wxArtProvider::GetBitmap(ArtOf(request.icon), wxART_MESSAGE_BOX);
        body->Add(new wxStaticBitmap(this, wxID_ANY, icon), 0, wxALL | wxALIGN_TOP, 12);
        body->Add(MakeText(request.text), 1, wxTOP | wxRIGHT | wxBOTTOM | wxEXPAND, 12);

        wxStdDialogButtonSizer* buttons = CreateStdDialogButtonSizer(ButtonsOf(request.buttons));
        if (request.buttons == MessageButtons::kRetryCancel) {
            wxWindow* ok = FindWindow(wxID_OK);
            ok->SetLabel("&Retry");
        }
        if (request.buttons == MessageButtons::kLocateCancel) {
            FindWindow(wxID_OK)->SetLabel(wxString::FromUTF8("&Locate\u2026"));
        }
        SetEscapeId(EscapeIdOf(request.buttons));
        if (request.buttons == MessageButtons::kSaveDontSaveCancel ||
            request.buttons == MessageButtons::kRestoreDiscardLater) {
            const bool restore = request.buttons == MessageButtons::kRestoreDiscardLater;
            SetAffirmativeId(wxID_YES);
            FindWindow(wxID_YES)->SetLabel(restore ? "&Restore" : "&Save");
            FindWindow(wxID_NO)->SetLabel(restore ? "&Discard" : "Do&n't Save");
            if (restore) {
                FindWindow(wxID_CANCEL)->SetLabel("&Later");
                static_cast<wxButton*>(FindWindow(wxID_YES))->SetDefault();
                FindWindow(wxID_YES)->SetFocus();
            }
            // Neither the affirmative nor the escape button: it ends the box by itself.
            Bind(
                wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(wxID_NO); }, wxID_NO);
        }
        if (request.buttons == MessageButtons::kYesNo) {
            SetAffirmativeId(wxID_YES);
            if (wxWindow* no = FindWindow(wxID_NO)) {
                no->SetFocus();  // a question that replaces something defaults to No
            }
        }

        auto* all = new wxBoxSizer(wxVERTICAL);
        all->Add(body, 1, wxEXPAND);
        all->Add(buttons, 0, wxEXPAND | wxALL, 8);
        SetSizerAndFit(all);
        CentreOnParent();
    }

private:
    // The screen area the box must fit in: the one its owner is on.
    wxRect ScreenArea() const {
        const int shown = wxDisplay::GetFromWindow(GetParent() != nullptr ? GetParent() : this);
        return wxDisplay(shown == wxNOT_FOUND ? 0u : static_cast<unsigned>(shown)).GetClientArea();
    }

    // The text as a label, or, when it would make the box taller than the screen (a list of
    // a hundred refused files), in a read-only field that scrolls, so the buttons stay
    // reachable.
    wxWindow* MakeText(const wxString& message) {
        auto* label = new wxStaticText(this, wxID_ANY, message);
        label->Wrap(FromDIP(kTextWidth));
        const int tallest = ScreenArea().height - FromDIP(kRoomAroundText);
        if (label->GetBestSize().y <= tallest) {
            return label;
        }
        label->Destroy();
        auto* field = new wxTextCtrl(this, wxID_ANY, message, wxDefaultPosition, wxDefaultSize,
                                     wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP);
        field->SetMinSize(wxSize(FromDIP(kTextWidth), std::max(tallest, FromDIP(100))));
        return field;
    }
};

}  // namespace

MessageAnswer ShowMessageBox(wxWindow* parent, const MessageRequest& request) {
    if (Hook()) {
        return Hook()(request);
    }
    MessageDialog dialog(DialogOwner(parent), request);
    const int answer = dialog.ShowModal();
    if (request.buttons == MessageButtons::kYesNo) {
        return answer == wxID_YES ? MessageAnswer::kYes : MessageAnswer::kNo;
    }
    if (request.buttons == MessageButtons::kRestoreDiscardLater) {
        return answer == wxID_YES  ? MessageAnswer::kRestore
               : answer == wxID_NO ? MessageAnswer::kDiscard
                                   : MessageAnswer::kLater;
    }
    if (request.buttons == MessageButtons::kSaveDontSaveCancel) {
        return answer == wxID_YES  ? MessageAnswer::kSave
               : answer == wxID_NO ? MessageAnswer::kDontSave
                                   : MessageAnswer::kCancel;
    }
    if (answer != wxID_OK) {
        return MessageAnswer::kCancel;
    }
    switch (request.buttons) {
        case MessageButtons::kRetryCancel:
            return MessageAnswer::kRetry;
        case MessageButtons::kLocateCancel:
            return MessageAnswer::kLocate;
        default:
            return MessageAnswer::kOk;
    }
}

void SetMessageBoxHook(MessageBoxHook hook) {
    Hook() = std::move(hook);
}

}  // namespace platform
