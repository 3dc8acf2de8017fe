#include "resources/Strings.h"

namespace str {

const char* Text(uint32_t id) {
    switch (id) {
        case kAppTitle:
        case 57344:
            return "Orvane";
        case kReady:
            return "Ready";
        case kPluginInitFailed:
            return "The plug-in could not be loaded.";
        case kAudioInitFailed:
            return "Failed to initialize audio device. Sound is disabled.";
        case kFlushWorkspace:
            return "Clear the workspace? Its files and edits are closed.";
        case kLibraryNotFreed:
            return "A plug-in library could not be unloaded; it stays in memory until Orvane ends.";
        case kOpenFileFailed:
            return "Orvane could not open this file:";
        case kOpenFilesFailed:
            return "Orvane could not open these files:";
        case kFileShownAlone:
            return "Editing happens in the workspace";
        case kSaveChanges:
            return "Save changes to %s?";
        case kSessionFailed:
            return "The session cannot be opened: %s.";
        case kSessionSaveFailed:
            return "The session cannot be saved: %s.";
        case kLocateSource:
            return "The session cannot be opened as it was saved: %s.\n\nLocate the file that "
                   "holds the same audio, or cancel opening the session.";
        case kRestoreRecovery:
            return "Orvane did not close normally, and kept unsaved edits of %s from %s: %s.\n\n"
                   "Restore them now, discard them, or keep them for the next start?";
        case kRecoveryFailed:
            return "The kept edits cannot be restored: %s. They stay kept and are offered "
                   "again at the next start.";
        case kRecoveryNotKept:
            return "Unsaved edits cannot be kept for recovery: %s. Orvane tries again at the "
                   "next edit.";
        case kRecoveryNotKeptStatus:
            return "Edits not kept for recovery: %s";
        default:
            return "";
    }
}

}  // namespace str
