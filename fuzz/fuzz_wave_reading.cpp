// Feeds arbitrary bytes to the WAV reader as a file: opening, counting and reading frames
// through the workspace must never crash, read out of bounds or deliver more than asked.
// The last bytes of the input (when there are more than 44) also steer a few edits.

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "audio/Workspace.h"

namespace {

const std::string& ScratchPath() {
    static const std::string path = [] {
        char pattern[] = "/tmp/orvane-fuzz-XXXXXX";
        const int fd = mkstemp(pattern);
        if (fd >= 0) {
            close(fd);
        }
        return std::string(pattern);
    }();
    return path;
}

uint32_t Word(const uint8_t* data, size_t size, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4 && at + i < size; ++i) {
        value |= uint32_t{data[at + i]} << (8 * i);
    }
    return value;
}

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = ScratchPath();
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return 0;
    }
    std::fwrite(data, 1, size, out);
    std::fclose(out);

    Workspace ws;
    const bool accepted = ws.AddFile(path.c_str());
    Check(accepted == (size >= 44 && data[20] == 1 && data[22] == 2 && data[34] == 16));
    if (!accepted) {
        return 0;
    }
    const uint32_t frames = ws.FileLength(0);
    Check(frames == (size - 44) / 4);
    Check(ws.TotalLength() == frames);

    std::vector<uint8_t> buffer(4 * 1024 + 16, 0xA5);
    const auto guardIntact = [&] {
        for (size_t i = 4 * 1024; i < buffer.size(); ++i) {
            if (buffer[i] != 0xA5) {
                return false;
            }
        }
        return true;
    };

    // Edits steered by the input's own bytes, then reads at positions it picks.
    const size_t tail = size > 64 ? size - 16 : 44;
    ws.CopyRange(Word(data, size, tail) % (frames + 2), Word(data, size, tail + 4) % (frames + 2));
    ws.PasteAt(Word(data, size, tail + 8) % (frames + 2));
    ws.DeleteRange(Word(data, size, tail + 12) % (frames + 2), frames / 2 + 1);
    const uint32_t length = ws.TotalLength();

    for (uint32_t probe = 0; probe < 4; ++probe) {
        const uint32_t position = Word(data, size, 24 + 4 * probe) % (length + 3);
        const uint32_t n = 1 + Word(data, size, 40 + probe) % 1024;
        uint32_t got = 0xFFFFFFFF;
        const bool inside = ws.ReadFrames(buffer.data(), n, got, position);
        Check(inside == (!ws.Segments().empty() && position <= length));
        Check(!inside || (got <= n && got <= length - position));
        Check(guardIntact());

        uint32_t fileGot = 0xFFFFFFFF;
        Check(ws.ReadFileFrames(probe, buffer.data(), n, fileGot, position));
        Check(fileGot <= n && (position >= frames ? fileGot == 0 : fileGot <= frames - position));
        Check(guardIntact());
    }
    return 0;
}
