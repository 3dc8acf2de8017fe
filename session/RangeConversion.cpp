#include "session/RangeConversion.h"

#include <unistd.h>

#include <algorithm>
#include <vector>

#include "audio/WaveFile.h"
#include "render/RenderWriter.h"

namespace {

constexpr uint32_t kChunkFrames = 16384;

}  // namespace

RangeConversion::RangeConversion(std::shared_ptr<const WaveFile> file, uint32_t firstFrame,
                                 uint32_t frameCount, uint32_t outputRate, std::string output)
    : source(std::move(file)),
      first(firstFrame),
      count(frameCount),
      rate(outputRate),
      outputPath(std::move(output)) {}

bool RangeConversion::Run(const Progress& progress) {
    failure.clear();
    const auto stop = [this](std::string why) {
        failure = std::move(why);
        ::truncate(outputPath.c_str(), 0);
        return false;
    };
    RenderWriter writer(RenderFormat::kWav16, source->SampleRate(), true);
    writer.ResampleTo(rate);
    const uint64_t expected = RateConverter::ConvertedLength(count, source->SampleRate(), rate);
    if (expected > WaveFile::kMaxFrames / 2 ||
        !writer.Open(outputPath, static_cast<uint32_t>(expected))) {
        return stop(writer.FailureReason().empty() ? "the range is too long to convert"
                                                   : writer.FailureReason());
    }
    std::vector<uint8_t> frames16(size_t{kChunkFrames} * WaveFile::kBytesPerFrame);
    for (uint32_t done = 0; done < count;) {
        if (!progress(static_cast<double>(done) / count)) {
            return stop({});
        }
        const uint32_t wanted = std::min(kChunkFrames, count - done);
        const uint32_t read = source->ReadFramesAt(frames16.data(), wanted, first + done);
        if (read < wanted) {
            return stop(source->Path() +
                        " is shorter than when it was opened (it was changed "
                        "outside Orvane)");
        }
        if (!writer.WriteInt16(frames16.data(), read)) {
            return stop(writer.FailureReason());
        }
        done += read;
    }
    if (!writer.Finish()) {
        return stop(writer.FailureReason());
    }
    frames = static_cast<uint32_t>(writer.FramesWritten());
    progress(1.0);
    return true;
}
