#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/VstAbi.h"

/// An effect's settings as a value, to be kept (in sessions, recovery copies) and given back
/// to the same effect later. An effect that keeps its settings as an opaque chunk
/// (effFlagsProgramChunks) is read as its current program's chunk; any other as its current
/// program number and every parameter value.
///
///     std::string error;
///     std::optional<EffectState> state = EffectState::Read(effect, error);
///     const std::string stored = state->Encode();  // opaque bytes, e.g. base64 in a session
///     ...
///     std::optional<EffectState> back = EffectState::Decode(stored, error);
///     if (!back || !back->ApplyTo(otherEffect, "Plate Reverb", error)) { show error; }
///
/// Every call to the effect goes through PluginHost::Dispatch, on the thread that owns it.
class EffectState {
public:
    enum class Form : uint8_t {
        kParameters,  // `program` and `parameters`
        kChunk,       // `program` and `chunk`, the effect's own bytes for its current program
    };

    /// Reads the settings of `effect` (copying a chunk at once: the effect owns its pointer).
    /// nullopt with `error` set when an effect with chunks hands none over.
    static std::optional<EffectState> Read(vst::AEffect* effect, std::string& error);

    /// Gives the settings to `effect`, between effBeginSetProgram and effEndSetProgram: its
    /// program is chosen, then the chunk or every parameter value is set. Refused (false, with
    /// `error` naming the effect by `name`, nothing sent to it) when the settings were read
    /// from an effect of another unique id, hold a chunk for an effect that takes none, hold
    /// another number of parameters than the effect has, or name a program it lacks. Nothing is
    /// applied in part: a state read from a different build of the effect must be re-made.
    bool ApplyTo(vst::AEffect* effect, const std::string& name, std::string& error) const;

    /// The settings as bytes of a small versioned binary form (little-endian), for storing
    /// opaquely; Decode reads them back.
    std::string Encode() const;
    /// Settings from Encode's bytes; nullopt with `error` set for anything else (another form
    /// or version, bytes cut short or left over).
    static std::optional<EffectState> Decode(std::string_view bytes, std::string& error);

    bool operator==(const EffectState&) const = default;

    Form form = Form::kParameters;
    int32_t uniqueId = 0;  // the effect's, checked when the settings are applied
    int32_t program = 0;   // the effect's current program when read
    std::vector<float> parameters;
    std::string chunk;  // bytes
};

/// An effect's programs: how many, which is current, their names, choosing one.
///
///     EffectPrograms programs(effect);
///     for (const std::string& name : programs.Names()) { list name; }
///     programs.Choose(2);
///
/// An effect without programs (numPrograms 0) is treated as having one, its current settings.
class EffectPrograms {
public:
    explicit EffectPrograms(vst::AEffect* effect) : effect(effect) {}

    /// numPrograms, at least 1.
    int32_t Count() const;
    /// The current program (effGetProgram).
    int32_t Current() const;
    /// Every program's name, in order: asked by index (effGetProgramNameIndexed); for a
    /// program the effect cannot name that way, the effect is switched to it and asked for
    /// the current program's name, and afterwards switched back to the program it was on.
    std::vector<std::string> Names() const;
    /// The current program's name (effGetProgramName).
    std::string CurrentName() const;
    /// Makes `program` current (effSetProgram between effBeginSetProgram and
    /// effEndSetProgram). False, and nothing sent, when the effect has no such program.
    bool Choose(int32_t program) const;
    /// Renames the current program (effSetProgramName; effects keep up to 24 characters).
    void RenameCurrent(const std::string& name) const;

private:
    vst::AEffect* effect;
};

/// Which settings an effect's chunk holds: its current program's, or all its programs'.
enum class ChunkScope : int32_t { kBank = 0, kProgram = 1 };

/// Copies the effect's chunk (effGetChunk). nullopt with `error` set when it hands none over
/// (no pointer, a size of 0 or below, or more than kMaxChunkBytes).
std::optional<std::string> ReadEffectChunk(vst::AEffect* effect, ChunkScope scope,
                                           std::string& error);
/// Gives the effect a chunk (effSetChunk) between effBeginSetProgram and effEndSetProgram.
void ApplyEffectChunk(vst::AEffect* effect, ChunkScope scope, const std::string& chunk);

/// The largest chunk taken from an effect or a file: far above any real effect's settings,
/// low enough that a lying size cannot exhaust memory.
constexpr size_t kMaxChunkBytes = 64u << 20;

/// An effect's unique id in words: its four characters in quotes when all are printable
/// ('Chnk'), otherwise the number.
std::string EffectIdText(int32_t uniqueId);
