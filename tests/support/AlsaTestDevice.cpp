#include "support/AlsaTestDevice.h"

#include <stdlib.h>

#include <fstream>

namespace testing_support {

AlsaTestDevice::AlsaTestDevice(const std::string& directory, bool capture)
    : capturePath_(directory + "/out.raw") {
    const std::string config = directory + "/asoundrc";
    std::ofstream out(config);
    if (capture) {
        out << "pcm.!default { type file slave.pcm \"null\" file \"" << capturePath_
            << "\" format \"raw\" }\n";
    } else {
        out << "pcm.!default { type null }\n";
    }
    out.close();
    // ALSA reads its configuration once per process, at the first device use.
    setenv("ALSA_CONFIG_PATH", ("/usr/share/alsa/alsa.conf:" + config).c_str(), 1);
}

}  // namespace testing_support
