#include "plugins/PluginInfo.h"

#include "platform/VstAbi.h"

std::string PluginInfo::DisplayName() const {
    if (!name.empty()) {
        return name;
    }
    const size_t slash = path.rfind('/');
    std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    if (file.ends_with(".so")) {
        file.resize(file.size() - 3);
    }
    return file;
}

std::string PluginInfo::VendorGroup() const {
    return vendor.empty() ? "Other" : vendor;
}

std::string PluginInfo::Folder() const {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string PluginInfo::CategoryText() const {
    switch (category) {
        case vst::kPlugCategEffect:
            return "Effect";
        case vst::kPlugCategSynth:
            return "Instrument";
        case vst::kPlugCategAnalysis:
            return "Analysis";
        case vst::kPlugCategMastering:
            return "Mastering";
        case vst::kPlugCategSpacializer:
            return "Spatial";
        case vst::kPlugCategRoomFx:
            return "Room";
        case vst::kPlugCategSurroundFx:
            return "Surround";
        case vst::kPlugCategRestoration:
            return "Restoration";
        case vst::kPlugCategOfflineProcess:
            return "Offline";
        case vst::kPlugCategShell:
            return "Shell";
        case vst::kPlugCategGenerator:
            return "Generator";
        default:
            return "Unknown";
    }
}

std::string PluginInfo::ChannelText() const {
    return std::to_string(inputs) + "/" + std::to_string(outputs);
}
