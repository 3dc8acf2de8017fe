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
        case kLocateSource:
            return "The session cannot be opened as it was saved: %s.\n\nLocate the file that "
                   "holds the same audio, or cancel opening the session.";
        case kRestoreRecovery:
            return "Orvane did not close normally last time. Restore the unsaved edits it "
                   "kept?";
        default:
            return "";
    }
}

}  // namespace str
