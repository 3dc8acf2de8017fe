#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class WaveFile;

/// Converts frames [first, first + count) of a source file to another sample rate (RateConverter,
/// very high quality) into a new 16-bit WAV file at that rate, dithered. Run may take a while:
/// it is meant for a worker thread, with progress and cancellation through its callback.
///
///     RangeConversion job(file, 0, file->FrameCount(), 44100, ownedPath);
///     if (!job.Run([&](double done) { return !cancelled; })) show(job.Failure());
class RangeConversion {
public:
    /// Called now and then with the share done (0 to 1); false stops the conversion.
    using Progress = std::function<bool(double done)>;

    RangeConversion(std::shared_ptr<const WaveFile> source, uint32_t first, uint32_t count,
                    uint32_t rate, std::string outputPath);

    /// Writes the output file. False when it failed (Failure says why) or was cancelled
    /// (Failure is then empty); the output is left empty either way.
    bool Run(const Progress& progress);

    const std::string& Failure() const { return failure; }
    /// The frames the output holds after a successful Run.
    uint32_t Frames() const { return frames; }

private:
    std::shared_ptr<const WaveFile> source;
    uint32_t first;
    uint32_t count;
    uint32_t rate;
    std::string outputPath;
    uint32_t frames = 0;
    std::string failure;
};
