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
            return "Failed to initialize plugin!";
        case kAudioInitFailed:
            return "Failed to initialize audio device. Sound is disabled.";
        case kFlushWorkspace:
            return "All data will be flushed! Sure?";
        case kLibraryNotFreed:
            return "Failed to free library! This may cause memory leaks.";
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
