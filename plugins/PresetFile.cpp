#include "plugins/PresetFile.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/SessionStorage.h"
#include "plugins/EffectState.h"

namespace {

constexpr uint32_t FourChars(const char (&text)[5]) {
    return static_cast<uint32_t>(static_cast<uint8_t>(text[0])) << 24 |
           static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(text[3]));
}

constexpr uint32_t kFileMagic = FourChars("CcnK");
constexpr uint32_t kProgramMagic = FourChars("FxCk");
constexpr uint32_t kProgramChunkMagic = FourChars("FPCh");
constexpr uint32_t kBankMagic = FourChars("FxBk");
constexpr uint32_t kBankChunkMagic = FourChars("FBCh");
constexpr size_t kNameBytes = 28;
constexpr size_t kBankFutureBytes = 124;
/// 'CcnK' and byteSize: the bytes a block's byteSize does not count.
constexpr size_t kBlockLeadBytes = 8;
constexpr size_t kProgramHeaderBytes = 56;  // up to and with prgName

/// Reads big-endian fields in order and never past the end: once a read would, every later
/// one yields zeros and Failed() tells.
class FieldReader {
public:
    explicit FieldReader(std::string_view bytes) : bytes(bytes) {}

    uint32_t Word() {
        const std::string_view field = Take(4);
        uint32_t value = 0;
        for (char c : field) {
            value = value << 8 | static_cast<uint8_t>(c);
        }
        return value;
    }
    int32_t Int() { return static_cast<int32_t>(Word()); }
    float Float() { return std::bit_cast<float>(Word()); }
    std::string_view Take(uint64_t count) {
        if (failed || count > bytes.size() - at) {
            failed = true;
            return {};
        }
        const std::string_view field = bytes.substr(at, count);
        at += count;
        return field;
    }
    uint64_t Remaining() const { return bytes.size() - at; }
    size_t At() const { return at; }
    bool Failed() const { return failed; }

private:
    std::string_view bytes;
    size_t at = 0;
    bool failed = false;
};

void PutWord(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>(value >> shift & 0xFF);
    }
}

void PutFloat(std::string& out, float value) {
    PutWord(out, std::bit_cast<uint32_t>(value));
}

/// 'CcnK', then byteSize (filled in by Close) for everything that follows it.
class BlockWriter {
public:
    explicit BlockWriter(std::string& out) : out(out), start(out.size()) {
        PutWord(out, kFileMagic);
        PutWord(out, 0);
    }
    void Close() {
        std::string size;
        PutWord(size, static_cast<uint32_t>(out.size() - start - kBlockLeadBytes));
        out.replace(start + 4, 4, size);
    }

private:
    std::string& out;
    size_t start;
};

void PutName(std::string& out, const std::string& name) {
    std::string field = name.substr(0, kNameBytes - 1);
    field.resize(kNameBytes, '\0');
    out += field;
}

void PutProgram(std::string& out, int32_t fxId, int32_t fxVersion, const PresetProgram& program) {
    BlockWriter block(out);
    PutWord(out, kProgramMagic);
    PutWord(out, 1);
    PutWord(out, static_cast<uint32_t>(fxId));
    PutWord(out, static_cast<uint32_t>(fxVersion));
    PutWord(out, static_cast<uint32_t>(program.parameters.size()));
    PutName(out, program.name);
    for (float value : program.parameters) {
        PutFloat(out, value);
    }
    block.Close();
}

/// Parses the file's blocks; each failure leaves its reason in `problem`, a phrase that
/// follows the file's name.
class PresetParser {
public:
    explicit PresetParser(std::string_view bytes) : reader(bytes), total(bytes.size()) {}

    std::optional<Preset> Parse() {
        Preset preset;
        uint64_t end = 0;
        uint32_t fxMagic = 0;
        if (!BlockStart(end, fxMagic)) {
            return std::nullopt;
        }
        if (end != total) {
            problem = end > total ? CutShort() : "is damaged: its sizes do not add up";
            return std::nullopt;
        }
        const bool ok =
            fxMagic == kBankMagic || fxMagic == kBankChunkMagic
                ? ParseBank(fxMagic, preset)
                : ParseProgram(fxMagic, end, preset.fxId, preset.fxVersion, preset) && Ends(end);
        return ok ? std::optional<Preset>(std::move(preset)) : std::nullopt;
    }

    std::string problem;

private:
    /// 'CcnK', byteSize and the fxMagic; `end` receives where the block claims to end.
    bool BlockStart(uint64_t& end, uint32_t& fxMagic) {
        const uint32_t magic = reader.Word();
        const uint64_t size = reader.Word();
        end = reader.At() + size;
        fxMagic = reader.Word();
        if (reader.Failed() && magic == kFileMagic) {
            problem = CutShort();
            return false;
        }
        if (reader.Failed() || magic != kFileMagic ||
            (fxMagic != kProgramMagic && fxMagic != kProgramChunkMagic && fxMagic != kBankMagic &&
             fxMagic != kBankChunkMagic)) {
            problem = "is not a VST preset file";
            return false;
        }
        return true;
    }

    bool ParseProgram(uint32_t fxMagic, uint64_t end, int32_t& fxId, int32_t& fxVersion,
                      Preset& preset) {
        reader.Word();  // the format's version: the layout has never changed with it
        fxId = reader.Int();
        fxVersion = reader.Int();
        const int32_t numParams = reader.Int();
        const std::string_view name = reader.Take(kNameBytes);
        preset.program.name = std::string(name.substr(0, name.find('\0')));
        if (reader.Failed()) {
            problem = CutShort();
            return false;
        }
        if (numParams < 0) {
            problem = "is damaged: it claims a negative number of parameters";
            return false;
        }
        if (fxMagic == kProgramChunkMagic) {
            preset.form = Preset::Form::kProgramChunk;
            preset.numParams = numParams;
            return TakeChunk(preset.chunk);
        }
        preset.form = Preset::Form::kProgram;
        if (uint64_t{4} * static_cast<uint64_t>(numParams) != end - reader.At()) {
            problem = "is damaged: its sizes do not add up";
            return false;
        }
        preset.program.parameters.resize(static_cast<size_t>(numParams));
        for (float& value : preset.program.parameters) {
            value = reader.Float();
        }
        return true;
    }

    bool ParseBank(uint32_t fxMagic, Preset& preset) {
        const uint32_t version = reader.Word();
        preset.fxId = reader.Int();
        preset.fxVersion = reader.Int();
        const int32_t numPrograms = reader.Int();
        const int32_t current = reader.Int();
        reader.Take(kBankFutureBytes);
        if (reader.Failed()) {
            problem = CutShort();
            return false;
        }
        preset.currentProgram = version >= 2 ? current : 0;
        if (numPrograms < 0) {
            problem = "is damaged: it claims a negative number of programs";
            return false;
        }
        if (fxMagic == kBankChunkMagic) {
            preset.form = Preset::Form::kBankChunk;
            preset.numPrograms = numPrograms;
            return TakeChunk(preset.chunk) && Ends(total);
        }
        preset.form = Preset::Form::kBank;
        if (static_cast<uint64_t>(numPrograms) * kProgramHeaderBytes > reader.Remaining()) {
            problem = "is damaged: its sizes do not add up";
            return false;
        }
        for (int32_t i = 0; i < numPrograms; ++i) {
            uint64_t end = 0;
            uint32_t programMagic = 0;
            Preset entry;
            int32_t fxId = 0;
            int32_t fxVersion = 0;
            if (!BlockStart(end, programMagic) || programMagic != kProgramMagic) {
                problem = "is damaged: its program " + std::to_string(i + 1) +
                          " is not a program of parameter values";
                return false;
            }
            if (end > total) {
                problem = "is damaged: its sizes do not add up";
                return false;
            }
            if (!ParseProgram(programMagic, end, fxId, fxVersion, entry) || !Ends(end)) {
                return false;
            }
            preset.programs.push_back(std::move(entry.program));
        }
        return Ends(total);
    }

    /// chunkSize and the chunk, which must fill the rest of the file.
    bool TakeChunk(std::string& chunk) {
        const uint64_t size = reader.Word();
        if (reader.Failed()) {
            problem = CutShort();
            return false;
        }
        if (size > kMaxChunkBytes || size != reader.Remaining()) {
            problem =
                size > reader.Remaining() ? CutShort() : "is damaged: its sizes do not add up";
            return false;
        }
        chunk = std::string(reader.Take(size));
        return true;
    }

    /// Whether the fields read so far end exactly where the enclosing size says.
    bool Ends(uint64_t end) {
        if (reader.At() != end) {
            problem = "is damaged: its sizes do not add up";
            return false;
        }
        return true;
    }

    std::string CutShort() const { return "is cut short (" + std::to_string(total) + " bytes)"; }

    FieldReader reader;
    uint64_t total;
};

bool TakesChunks(const vst::AEffect* effect) {
    return (effect->flags & vst::effFlagsProgramChunks) != 0;
}

std::string Quoted(const std::string& fileName) {
    return "\"" + fileName + "\"";
}

/// Why `preset` cannot go to the effect, or "" when it can.
std::string Mismatch(const Preset& preset, vst::AEffect* effect, const std::string& name,
                     const std::string& file) {
    const int32_t programCount = EffectPrograms(effect).Count();
    const bool isChunk =
        preset.form == Preset::Form::kProgramChunk || preset.form == Preset::Form::kBankChunk;
    if (preset.fxId != effect->uniqueId) {
        return file + " is a preset for another effect (id " + EffectIdText(preset.fxId) +
               "), not for " + name + " (" + EffectIdText(effect->uniqueId) + ").";
    }
    if (isChunk && !TakesChunks(effect)) {
        return file + " holds settings as a block of the effect's own data, but " + name +
               " does not take its settings that way.";
    }
    if (preset.form == Preset::Form::kBank &&
        preset.programs.size() > static_cast<size_t>(programCount)) {
        return file + " holds " + std::to_string(preset.programs.size()) + " programs, but " +
               name + " has " + std::to_string(programCount) + ".";
    }
    std::vector<const PresetProgram*> valued;
    if (preset.form == Preset::Form::kProgram) {
        valued.push_back(&preset.program);
    } else if (preset.form == Preset::Form::kBank) {
        for (const PresetProgram& program : preset.programs) {
            valued.push_back(&program);
        }
    }
    for (const PresetProgram* program : valued) {
        if (program->parameters.size() != static_cast<size_t>(std::max(effect->numParams, 0))) {
            return file + " holds " + std::to_string(program->parameters.size()) +
                   " parameter values per program, but " + name + " has " +
                   std::to_string(effect->numParams) + " parameters.";
        }
    }
    return {};
}

}  // namespace

bool PresetFile::Load(const std::string& path, vst::AEffect* effect, const std::string& name,
                      std::string& error) {
    std::error_code sizeError;
    const uint64_t size = std::filesystem::file_size(path, sizeError);
    if (!sizeError && size > kMaxFileBytes) {
        error = Quoted(path) + " is too large to be a preset file (" + std::to_string(size) +
                " bytes).";
        return false;
    }
    std::string bytes;
    std::string readError;
    if (!platform::ReadWholeFile(path, bytes, readError)) {
        error = "Could not read " + Quoted(path) + ": " + readError + ".";
        return false;
    }
    const std::optional<Preset> preset = Parse(bytes, path, error);
    return preset && Apply(*preset, effect, name, path, error);
}

bool PresetFile::Save(const std::string& path, vst::AEffect* effect, Scope scope,
                      std::string& error) {
    std::string captureError;
    const std::optional<Preset> preset = Capture(effect, scope, captureError);
    if (!preset) {
        error = "Could not write " + Quoted(path) + ": " + captureError;
        return false;
    }
    std::string writeError;
    if (!platform::ReplaceFileAtomically(path, Format(*preset), writeError)) {
        error = "Could not write " + Quoted(path) + ": " + writeError + ".";
        return false;
    }
    return true;
}

std::optional<Preset> PresetFile::Parse(std::string_view bytes, const std::string& fileName,
                                        std::string& error) {
    PresetParser parser(bytes);
    std::optional<Preset> preset = parser.Parse();
    if (!preset) {
        error = Quoted(fileName) + " " + parser.problem + ".";
    }
    return preset;
}

std::string PresetFile::Format(const Preset& preset) {
    std::string out;
    if (preset.form == Preset::Form::kProgram) {
        PutProgram(out, preset.fxId, preset.fxVersion, preset.program);
        return out;
    }
    BlockWriter block(out);
    const bool isBank = preset.form != Preset::Form::kProgramChunk;
    PutWord(out, isBank ? (preset.form == Preset::Form::kBank ? kBankMagic : kBankChunkMagic)
                        : kProgramChunkMagic);
    PutWord(out, isBank ? 2 : 1);
    PutWord(out, static_cast<uint32_t>(preset.fxId));
    PutWord(out, static_cast<uint32_t>(preset.fxVersion));
    if (!isBank) {
        PutWord(out, static_cast<uint32_t>(preset.numParams));
        PutName(out, preset.program.name);
    } else {
        const size_t count = preset.form == Preset::Form::kBank
                                 ? preset.programs.size()
                                 : static_cast<size_t>(preset.numPrograms);
        PutWord(out, static_cast<uint32_t>(count));
        PutWord(out, static_cast<uint32_t>(preset.currentProgram));
        out.append(kBankFutureBytes, '\0');
    }
    if (preset.form == Preset::Form::kBank) {
        for (const PresetProgram& program : preset.programs) {
            PutProgram(out, preset.fxId, preset.fxVersion, program);
        }
    } else {
        PutWord(out, static_cast<uint32_t>(preset.chunk.size()));
        out += preset.chunk;
    }
    block.Close();
    return out;
}

std::optional<Preset> PresetFile::Capture(vst::AEffect* effect, Scope scope, std::string& error) {
    const EffectPrograms programs(effect);
    Preset preset;
    preset.fxId = effect->uniqueId;
    preset.fxVersion = effect->version;
    if (scope == Scope::kProgram) {
        std::optional<EffectState> state = EffectState::Read(effect, error);
        if (!state) {
            return std::nullopt;
        }
        preset.program.name = programs.CurrentName();
        if (state->form == EffectState::Form::kChunk) {
            preset.form = Preset::Form::kProgramChunk;
            preset.numParams = effect->numParams;
            preset.chunk = std::move(state->chunk);
        } else {
            preset.program.parameters = std::move(state->parameters);
        }
        return preset;
    }
    preset.currentProgram = programs.Current();
    if (TakesChunks(effect)) {
        std::optional<std::string> chunk = ReadEffectChunk(effect, ChunkScope::kBank, error);
        if (!chunk) {
            return std::nullopt;
        }
        preset.form = Preset::Form::kBankChunk;
        preset.numPrograms = programs.Count();
        preset.chunk = std::move(*chunk);
        return preset;
    }
    preset.form = Preset::Form::kBank;
    for (int32_t i = 0; i < programs.Count(); ++i) {
        programs.Choose(i);
        PresetProgram& program = preset.programs.emplace_back();
        program.name = programs.CurrentName();
        program.parameters.resize(static_cast<size_t>(std::max(effect->numParams, 0)));
        for (size_t k = 0; k < program.parameters.size(); ++k) {
            program.parameters[k] = effect->getParameter(effect, static_cast<int32_t>(k));
        }
    }
    programs.Choose(preset.currentProgram);
    return preset;
}

bool PresetFile::Apply(const Preset& preset, vst::AEffect* effect, const std::string& name,
                       const std::string& fileName, std::string& error) {
    const std::string mismatch = Mismatch(preset, effect, name, Quoted(fileName));
    if (!mismatch.empty()) {
        error = mismatch;
        return false;
    }
    const EffectPrograms programs(effect);
    EffectState state;
    state.uniqueId = effect->uniqueId;
    switch (preset.form) {
        case Preset::Form::kProgram:
        case Preset::Form::kProgramChunk:
            state.form = preset.form == Preset::Form::kProgram ? EffectState::Form::kParameters
                                                               : EffectState::Form::kChunk;
            state.program = programs.Current();
            state.parameters = preset.program.parameters;
            state.chunk = preset.chunk;
            if (!state.ApplyTo(effect, name, error)) {
                return false;
            }
            programs.RenameCurrent(preset.program.name);
            return true;
        case Preset::Form::kBank: {
            const int32_t previous = programs.Current();
            for (size_t i = 0; i < preset.programs.size(); ++i) {
                state.program = static_cast<int32_t>(i);
                state.parameters = preset.programs[i].parameters;
                if (!state.ApplyTo(effect, name, error)) {
                    return false;
                }
                programs.RenameCurrent(preset.programs[i].name);
            }
            if (!programs.Choose(preset.currentProgram)) {
                programs.Choose(previous);
            }
            return true;
        }
        case Preset::Form::kBankChunk:
            ApplyEffectChunk(effect, ChunkScope::kBank, preset.chunk);
            return true;
    }
    return false;
}
