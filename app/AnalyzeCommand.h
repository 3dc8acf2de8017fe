#pragma once

#include <cstdio>
#include <string>

#include "audio/LoudnessMeter.h"

/// The figures as `orvane --analyze` prints them: one "name value" line each, in LUFS, LU,
/// dBTP and dBFS to a tenth, "-inf" for silence.
std::string LoudnessReport(const LoudnessFigures& figures);

/// `orvane --analyze FILE`, without a window: measures the loudness of the whole of FILE (a
/// WAV file) and prints LoudnessReport to `out`. Returns the exit status: 0, or 1 after one
/// line on `errors` naming the file and why it cannot be read.
int RunAnalyzeCommand(const std::string& path, std::FILE* out, std::FILE* errors);
