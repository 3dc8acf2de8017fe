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
            return "Failed to open selected file. Remember that only plain stereo/16bit *.wav "
                   "files are supported at a time.\nEventually, You may be trying to open already "
                   "opened file.";
        case kFileShownAlone:
            return "File shown alone: edit in View > Workspace";
        default:
            return "";
    }
}

}  // namespace str
