#pragma once

#include <wx/string.h>

#include <functional>

class wxWindow;

namespace platform {

enum class MessageButtons {
    kOk,
    kOkCancel,
    kRetryCancel,
    kSaveDontSaveCancel,
    kYesNo,
    kRestoreDiscardLater,  // Restore is the default; Esc and the close box answer Later
    kLocateCancel,
};
enum class MessageIcon { kError, kQuestion, kInformation, kWarning };
enum class MessageAnswer {
    kOk,
    kCancel,
    kRetry,
    kSave,
    kDontSave,
    kYes,
    kNo,
    kRestore,
    kDiscard,
    kLater,
    kLocate
};

/// What a message box shows.
struct MessageRequest {
    wxString text;
    wxString caption;
    MessageButtons buttons = MessageButtons::kOk;
    MessageIcon icon = MessageIcon::kInformation;
};

/// Shows a modal message box over `parent` and returns the button the user pressed (Esc
/// and the close box answer Cancel, or OK where there is no Cancel, or No for Yes/No). Every
/// message of the program goes through here, so tests can answer in place of a user.
MessageAnswer ShowMessageBox(wxWindow* parent, const MessageRequest& request);

/// Replaces the dialog with `hook` (tests); an empty hook brings the real dialog back.
using MessageBoxHook = std::function<MessageAnswer(const MessageRequest&)>;
void SetMessageBoxHook(MessageBoxHook hook);

}  // namespace platform
