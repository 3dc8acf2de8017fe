#include "platform/gui/MessageBox.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

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

constexpr int kTextWidth = 440;  // pixels before a line wraps

// GTK's own message dialogs no longer show an icon, so the box is built here: the
// toolkit's icon for the kind of message beside the text, the buttons below.
class MessageDialog : public wxDialog {
public:
    MessageDialog(wxWindow* parent, const MessageRequest& request)
        : wxDialog(parent, wxID_ANY, request.caption) {
        auto* body = new wxBoxSizer(wxHORIZONTAL);
        const wxBitmap icon = wxArtProvider::GetBitmap(ArtOf(request.icon), wxART_MESSAGE_BOX);
        body->Add(new wxStaticBitmap(this, wxID_ANY, icon), 0, wxALL | wxALIGN_TOP, 12);
        auto* text = new wxStaticText(this, wxID_ANY, request.text);
        text->Wrap(kTextWidth);
        body->Add(text, 1, wxTOP | wxRIGHT | wxBOTTOM | wxALIGN_CENTER_VERTICAL, 12);

        const bool cancel = request.buttons != MessageButtons::kOk;
        wxStdDialogButtonSizer* buttons =
            CreateStdDialogButtonSizer(cancel ? wxOK | wxCANCEL : wxOK);
        if (request.buttons == MessageButtons::kRetryCancel) {
            wxWindow* ok = FindWindow(wxID_OK);
            ok->SetLabel("&Retry");
        }
        SetEscapeId(cancel ? wxID_CANCEL : wxID_OK);

        auto* all = new wxBoxSizer(wxVERTICAL);
        all->Add(body, 1, wxEXPAND);
        all->Add(buttons, 0, wxEXPAND | wxALL, 8);
        SetSizerAndFit(all);
        CentreOnParent();
    }
};

}  // namespace

MessageAnswer ShowMessageBox(wxWindow* parent, const MessageRequest& request) {
    if (Hook()) {
        return Hook()(request);
    }
    MessageDialog dialog(parent, request);
    if (dialog.ShowModal() != wxID_OK) {
        return MessageAnswer::kCancel;
    }
    return request.buttons == MessageButtons::kRetryCancel ? MessageAnswer::kRetry
                                                           : MessageAnswer::kOk;
}

void SetMessageBoxHook(MessageBoxHook hook) {
    Hook() = std::move(hook);
}

}  // namespace platform
