#pragma once

#include <wx/string.h>

#include <cstdint>
#include <vector>

/// The texts Orvane shows about opening files: files it refused, each named with its reason,
/// in one message however many there were, and a file longer than the frame limit.
///
///     OpenRefusals refused;
///     refused.Add("/music/a.wav", "it is not a WAV file");
///     if (!refused.IsEmpty()) show(refused.Text());
class OpenRefusals {
public:
    void Add(const wxString& path, const wxString& reason);
    bool IsEmpty() const { return lines.empty(); }
    /// "Orvane could not open this file:" (or "these files:") and a line per file:
    /// "<path>: <reason>."
    wxString Text() const;

private:
    std::vector<wxString> lines;
};

/// What a file longer than the frame limit means: how much of it can be edited, in frames
/// and in time at its sample rate.
wxString FrameLimitText(const wxString& path, uint64_t framesInFile, uint32_t usableFrames,
                        uint32_t sampleRate);
