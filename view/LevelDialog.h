#pragma once

#include <functional>

#include "audio/Level.h"

class wxWindow;

/// What a level command (Gain, Normalize, Fade In, Fade Out) asks the user for.
struct LevelRequest {
    /// What Normalize measures: the highest sample, or the integrated loudness (EBU R128).
    enum class Measure { kPeak, kLoudness };

    double gainDecibels = 0.0;  // Gain
    Measure measure = Measure::kPeak;
    double targetDbfs = -1.0;              // Normalize: where the selection's peak goes
    double targetLufs = -23.0;             // Normalize: where the selection's loudness goes
    FadeCurve curve = FadeCurve::kLinear;  // Fade In and Fade Out
};

/// Asks for the settings of level command `command` (cmd::kGain, kNormalize, kFadeIn or
/// kFadeOut), starting from `request`, in a small modal dialog; false when the user cancels.
/// The view asks through this type, so that a test can answer instead.
///
///     LevelRequest request;
///     if (AskLevel(view, cmd::kGain, request)) workspace.ScaleRange(a, b, ...);
using LevelAsker = std::function<bool(wxWindow* parent, int command, LevelRequest& request)>;
bool AskLevel(wxWindow* parent, int command, LevelRequest& request);
