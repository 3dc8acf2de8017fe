#include "app/AnalyzeCommand.h"

#include <cmath>

#include "audio/Workspace.h"
#include "platform/RegularFile.h"

namespace {

std::string Figure(const char* name, double value) {
    char line[64];
    if (std::isinf(value) && value < 0) {
        std::snprintf(line, sizeof line, "%s -inf\n", name);
    } else {
        std::snprintf(line, sizeof line, "%s %.1f\n", name, value);
    }
    return line;
}

}  // namespace

std::string LoudnessReport(const LoudnessFigures& figures) {
    return Figure("integrated_lufs", figures.integratedLufs) +
           Figure("loudness_range_lu", figures.loudnessRangeLu) +
           Figure("true_peak_dbtp", figures.truePeakDbtp) +
           Figure("sample_peak_dbfs", figures.samplePeakDbfs);
}

int RunAnalyzeCommand(const std::string& path, std::FILE* out, std::FILE* errors) {
    const auto fail = [&](const std::string& why) {
        std::fprintf(errors, "orvane: %s: %s\n", path.c_str(), why.c_str());
        return 1;
    };
    if (const std::string why = platform::WhyNotARegularFile(path); !why.empty()) {
        return fail(why);
    }
    Workspace workspace;
    workspace.BuildNoPeaks();  // read once, by the measurement alone
    std::string why;
    if (!workspace.AddFile(path.c_str(), &why)) {
        return fail(why);
    }
    const auto figures =
        MeasureLoudness([&](void* buffer, uint32_t n, uint32_t& got,
                            uint32_t at) { return workspace.ReadFrames(buffer, n, got, at); },
                        0, workspace.TotalLength(), workspace.SampleRate(), nullptr);
    if (!figures) {
        return fail("its audio could not be read to the end");
    }
    std::fputs(LoudnessReport(*figures).c_str(), out);
    return 0;
}
