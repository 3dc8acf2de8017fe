#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class WaveFile;
struct XXH3_state_s;

/// A fast hash (64-bit XXH3) of a file's frames as Orvane reads them: native 16-bit stereo, so
/// for a 16-bit stereo file it is the hash of its data chunk's bytes. A session keeps it to
/// recognise a source whose modification time changed but whose audio did not (a copy, a
/// `touch`, a restored backup), and a moved source the user locates.
///
///     FramesHasher hasher;
///     hasher.Add(frames, count);   // piece by piece, in order
///     file.NoteFramesHash(hasher.Value());
class FramesHasher {
public:
    FramesHasher();
    ~FramesHasher();
    FramesHasher(const FramesHasher&) = delete;
    FramesHasher& operator=(const FramesHasher&) = delete;

    /// Folds in the next `count` native frames.
    void Add(const void* frames, uint32_t count);
    /// The hash of every frame added so far.
    uint64_t Value() const;

private:
    struct Free {
        void operator()(XXH3_state_s* state) const;
    };
    std::unique_ptr<XXH3_state_s, Free> state;
};

/// The hash of every frame `file` can read (FrameCount of them): the one noted with the file
/// when something already read them all (its peak tables), or else computed now by reading
/// them, and noted. Nothing when a read comes up short (the file shrank or failed).
std::optional<uint64_t> FramesHashOf(const WaveFile& file);

/// A hash as text (16 hexadecimal digits), and back; ParseFramesHash takes exactly that form.
std::string FramesHashText(uint64_t hash);
bool ParseFramesHash(std::string_view text, uint64_t& hash);
