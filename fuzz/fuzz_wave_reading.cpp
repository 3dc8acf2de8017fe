// Feeds arbitrary bytes to the WAV reader as a file: walking the chunks, recognising the format
// (libsndfile), counting, converting and reading frames through the workspace must never crash,
// read out of bounds or deliver more than asked; an accepted file's frames lie inside the file,
// and a canonical 44-byte header still gives exactly the frames it always gave, from byte 44,
// whatever follows them. The last bytes of the input (when there are more than 44) also steer a
// few edits.

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

// "RIFF" ... "WAVE", a 16-byte PCM stereo 16-bit `fmt ` chunk with a consistent block size,
// then "data": the one layout the first release read.
bool IsCanonicalHeader(const uint8_t* data, size_t size) {
    static const uint8_t kFixed[] = {'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0};
    return size >= 44 && std::memcmp(data, "RIFF", 4) == 0 &&
           std::memcmp(data + 8, "WAVE", 4) == 0 && std::memcmp(data + 12, kFixed, 12) == 0 &&
           Word(data, size, 24) != 0 && Word(data, size, 24) < 0x7FFFFFFF && data[32] == 4 &&
           data[33] == 0 && data[34] == 16 && data[35] == 0 &&
           std::memcmp(data + 36, "data", 4) == 0;
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
    std::string why;
    const bool accepted = ws.AddFile(path.c_str(), &why);
    Check(accepted == why.empty());
    if (IsCanonicalHeader(data, size)) {
        // The frames run from byte 44 for the declared length, or to the end of the file when
        // the declared length is 0, 0xFFFFFFFF or past the end.
        const uint32_t declared = Word(data, size, 40);
        const uint64_t available = (size - 44) / 4;
        const uint64_t expected =
            declared == 0 || uint64_t{declared} > size - 44 ? available : declared / 4;
        Check(accepted && ws.FileLength(0) == expected);
        uint8_t first[4] = {};
        uint32_t got = 0;
        Check(expected == 0 || (ws.ReadFileFrames(0, first, 1, got, 0) && got == 1 &&
                                std::memcmp(first, data + 44, 4) == 0));
    }
    if (!accepted) {
        return 0;
    }
    const WaveFile& file = *ws.File(0);
    const uint32_t frames = ws.FileLength(0);
    Check(file.SampleRate() > 0 && file.Samples().channels >= 1 && file.Samples().channels <= 2);
    Check(file.IsDecoded() || uint64_t{frames} * file.Samples().BytesPerFrame() <= size);
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
