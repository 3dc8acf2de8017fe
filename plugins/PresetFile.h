#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/VstAbi.h"
#include "plugins/EffectState.h"

/// One program of a preset: its name and its parameter values.
struct PresetProgram {
    std::string name;  // at most 27 bytes are kept in a file
    std::vector<float> parameters;
    bool operator==(const PresetProgram&) const = default;
};

/// What a VST 2 preset file holds: one program (.fxp) or a bank of them (.fxb), each either as
/// parameter values or as a chunk of the effect's own data.
struct Preset {
    enum class Form {
        kProgram,       // 'FxCk': `program` with its parameter values
        kProgramChunk,  // 'FPCh': `program`'s name, `numParams` and `chunk`
        kBank,          // 'FxBk': `programs` and `currentProgram`
        kBankChunk,     // 'FBCh': `numPrograms`, `currentProgram` and `chunk`
    };

    Form form = Form::kProgram;
    int32_t fxId = 0;            // the unique id of the effect the preset is for
    int32_t fxVersion = 0;       // that effect's version
    int32_t numParams = 0;       // kProgramChunk only (kProgram counts program.parameters)
    int32_t numPrograms = 0;     // kBankChunk only (kBank counts programs)
    int32_t currentProgram = 0;  // banks; 0 for a bank of the first version, which lacks it
    PresetProgram program;
    std::vector<PresetProgram> programs;
    std::string chunk;  // bytes
    bool operator==(const Preset&) const = default;
};

/// Reads and writes the VST 2 preset files (.fxp, one program; .fxb, a bank) in their
/// published big-endian layout, and moves their contents into and out of an effect.
///
///     std::string error;
///     if (!PresetFile::Load("warm.fxp", effect, "Plate Reverb", error)) { show error; }
///     if (!PresetFile::Save("all.fxb", effect, PresetFile::Scope::kBank, error)) { show error; }
///
/// A file is known by its contents, not its extension. Files are read whole (up to
/// kMaxFileBytes) and checked to the byte: every size in them must add up to the file's
/// length, and nothing is read past its end. Calls to the effect go through
/// PluginHost::Dispatch, on the thread that owns it.
class PresetFile {
public:
    enum class Scope { kProgram, kBank };

    /// Larger files are refused unread: the largest chunk, with room for the headers.
    static constexpr uint64_t kMaxFileBytes = kMaxChunkBytes + 4096;

    /// Reads the preset file at `path` and applies it to `effect` (see Apply). False with
    /// `error` naming the file when it cannot be read, is no preset, is damaged, or does not
    /// fit the effect (named by `name` in the message); the effect is then left untouched.
    static bool Load(const std::string& path, vst::AEffect* effect, const std::string& name,
                     std::string& error);

    /// Writes the effect's current program (.fxp) or all its programs (.fxb) to `path`,
    /// replacing the file in one step. False with `error` naming the file on failure (the old
    /// file is then untouched).
    static bool Save(const std::string& path, vst::AEffect* effect, Scope scope,
                     std::string& error);

    /// The file's bytes as a preset; nullopt with `error` naming `fileName` when they are no
    /// preset, are cut short or hold sizes that do not add up.
    static std::optional<Preset> Parse(std::string_view bytes, const std::string& fileName,
                                       std::string& error);
    /// The preset as a file's bytes (banks written as version 2, with the current program).
    static std::string Format(const Preset& preset);

    /// The effect's current program (as its chunk when the effect keeps chunks) or its whole
    /// bank (the bank chunk, or every program's parameters: each program is visited, then
    /// the current one chosen again). nullopt with `error` set when the effect hands over no
    /// chunk.
    static std::optional<Preset> Capture(vst::AEffect* effect, Scope scope, std::string& error);

    /// Gives the preset to the effect: a program to its current program (values or chunk, and
    /// the name); a bank's programs to its programs from the first, then the bank's current
    /// program is chosen; a bank chunk whole. Refused, with nothing sent, when the preset's id
    /// is not the effect's unique id, it holds a chunk for an effect that takes none, or its
    /// parameter or program counts exceed what the effect has (counts must match exactly for
    /// parameters; a bank may hold fewer programs than the effect).
    static bool Apply(const Preset& preset, vst::AEffect* effect, const std::string& name,
                      const std::string& fileName, std::string& error);
};
