#include "plugins/PluginInfo.h"

#include "platform/VstAbi.h"

namespace {

std::string WithoutTrailingSpaces(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.pop_back();
    }
    return text;
}

// Effects are asked for their name in 32 bytes with its terminating zero.
constexpr size_t kLongestWholeName = 31;

// The product string from where `name` begins, without a trailing format tag such as
// " [VST]"; empty when the product does not begin with the name nor, for a name that may have
// been cut, hold it after a prefix ("LSP ").
std::string FullNameFromProduct(const std::string& name, const std::string& product,
                                bool maybeCut) {
    const size_t at = product.find(name);
    if (name.empty() || at == std::string::npos || (at > 0 && !maybeCut)) {
        return {};
    }
    std::string full = WithoutTrailingSpaces(product.substr(at));
    if (full.ends_with(']')) {
        if (const size_t open = full.rfind('['); open != std::string::npos && open >= name.size()) {
            full = WithoutTrailingSpaces(full.substr(0, open));
        }
    }
    return full;
}

}  // namespace

std::string PluginInfo::DisplayName() const {
    const std::string trimmed = WithoutTrailingSpaces(name);
    if (!trimmed.empty()) {
        const bool maybeCut = name.size() == kLongestWholeName;
        std::string full = FullNameFromProduct(trimmed, product, maybeCut);
        if (full.empty() && maybeCut) {
            full = WithoutTrailingSpaces(product);
        }
        return full.size() > trimmed.size() ? full : trimmed;
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

bool PluginInfo::IsInstrument() const {
    return inputs == 0 || category == vst::kPlugCategSynth;
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
