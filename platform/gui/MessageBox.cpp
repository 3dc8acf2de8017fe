#include "platform/gui/MessageBox.h"

#include <wx/msgdlg.h>

namespace platform {
namespace {

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

long StyleOf(const MessageRequest& request) {
    long style = wxCENTRE;
    switch (request.buttons) {
        case MessageButtons::kOk:
            style |= wxOK;
            break;
        case MessageButtons::kOkCancel:
        case MessageButtons::kRetryCancel:
            style |= wxOK | wxCANCEL;
            break;
        case MessageButtons::kSaveDontSaveCancel:
            style |= wxYES_NO | wxCANCEL;
            break;
        case MessageButtons::kYesNo:
            style |= wxYES_NO;
            break;
    }
    switch (request.icon) {
        case MessageIcon::kError:
            style |= wxICON_ERROR;
            break;
        case MessageIcon::kQuestion:
            style |= wxICON_QUESTION;
            break;
        case MessageIcon::kInformation:
            style |= wxICON_INFORMATION;
            break;
        case MessageIcon::kWarning:
            style |= wxICON_WARNING;
            break;
    }
    return style;
}

}  // namespace

MessageAnswer ShowMessageBox(wxWindow* parent, const MessageRequest& request) {
    if (Hook()) {
        return Hook()(request);
    }
    wxMessageDialog dialog(parent, request.text, request.caption, StyleOf(request));
    if (request.buttons == MessageButtons::kRetryCancel) {
        dialog.SetOKCancelLabels("&Retry", "&Cancel");
    }
    if (request.buttons == MessageButtons::kSaveDontSaveCancel) {
        dialog.SetYesNoCancelLabels("&Save", "Do&n't Save", "&Cancel");
    }
    const int answer = dialog.ShowModal();
    if (request.buttons == MessageButtons::kSaveDontSaveCancel) {
        return answer == wxID_YES  ? MessageAnswer::kSave
               : answer == wxID_NO ? MessageAnswer::kDontSave
                                   : MessageAnswer::kCancel;
    }
    if (request.buttons == MessageButtons::kYesNo) {
        return answer == wxID_YES ? MessageAnswer::kYes : MessageAnswer::kNo;
    }
    if (answer != wxID_OK) {
        return MessageAnswer::kCancel;
    }
    return request.buttons == MessageButtons::kRetryCancel ? MessageAnswer::kRetry
                                                           : MessageAnswer::kOk;
}

void SetMessageBoxHook(MessageBoxHook hook) {
    Hook() = std::move(hook);
}

}  // namespace platform
