#pragma once

#include <string>

namespace testing_support {

/// Points ALSA's default device of this process at a test device in `directory`: its "file"
/// plug-in over a null device, so every byte played lands in CapturePath(), or (capture
/// false) a plain null device. Must run before the process first opens an ALSA device.
class AlsaTestDevice {
public:
    AlsaTestDevice(const std::string& directory, bool capture);
    const std::string& CapturePath() const { return capturePath_; }

private:
    std::string capturePath_;
};

}  // namespace testing_support
