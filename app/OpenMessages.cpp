#include "app/OpenMessages.h"

#include "resources/Strings.h"

namespace {

// 1234567 -> "1,234,567": frame counts of this size are unreadable without grouping.
wxString Grouped(uint64_t value) {
    wxString digits = wxString::Format("%llu", static_cast<unsigned long long>(value));
    wxString grouped;
    for (size_t i = 0; i < digits.length(); ++i) {
        if (i != 0 && (digits.length() - i) % 3 == 0) {
            grouped += ',';
        }
        grouped += digits[i];
    }
    return grouped;
}

wxString Duration(uint64_t frames, uint32_t rate) {
    const uint64_t seconds = rate != 0 ? frames / rate : 0;
    return wxString::Format("%llu:%02llu:%02llu", static_cast<unsigned long long>(seconds / 3600),
                            static_cast<unsigned long long>(seconds / 60 % 60),
                            static_cast<unsigned long long>(seconds % 60));
}

}  // namespace

void OpenRefusals::Add(const wxString& path, const wxString& reason) {
    wxString line = path + ": " + reason;
    if (!line.EndsWith(".")) {
        line += '.';
    }
    lines.push_back(line);
}

wxString OpenRefusals::Text() const {
    wxString text = wxString::FromUTF8(
        str::Text(lines.size() == 1 ? str::kOpenFileFailed : str::kOpenFilesFailed));
    for (const wxString& line : lines) {
        text += '\n' + line;
    }
    return text;
}

wxString FrameLimitText(const wxString& path, uint64_t framesInFile, uint32_t usableFrames,
                        uint32_t sampleRate) {
    return path + wxString::Format(
                      ": the file holds %s frames (%s at %u Hz). Orvane edits "
                      "positions up to 32 bits, so only its first %s frames (%s) "
                      "can be edited.",
                      Grouped(framesInFile), Duration(framesInFile, sampleRate), sampleRate,
                      Grouped(usableFrames), Duration(usableFrames, sampleRate));
}
