#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// One effect of the chain as a session keeps it: enough to load the same library again and
/// give the effect back its settings. The chain is a vector of these in processing order.
///
///     EffectRecord echo{"/usr/lib/vst/echo.so", 0x45636821, "Echo", false, chunk};
///     session.Save(path, {echo}, error);
struct EffectRecord {
    std::string libraryPath;     // absolute, where the library was when the chain was noted
    int32_t uniqueId = 0;        // the effect's own id, to find the library when it moved
    std::string name;            // the effect's shown name, for messages
    bool bypassed = false;       // kept in the chain, but the audio passes by it
    std::vector<uint8_t> state;  // the effect's settings as it gave them; opaque, may be empty

    bool operator==(const EffectRecord&) const = default;
};
