#include "plugins/EffectState.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstring>

#include "plugins/PluginHost.h"

namespace {

constexpr char kEncodingMagic[4] = {'O', 'V', 'f', 'x'};
constexpr uint8_t kEncodingVersion = 1;
constexpr size_t kEncodingHeaderBytes = 4 + 1 + 1 + 4 + 4 + 4;

/// Brackets a change of program or settings with effBeginSetProgram / effEndSetProgram, so the
/// effect can treat what comes between as one load.
class ProgramChange {
public:
    explicit ProgramChange(vst::AEffect* effect) : effect(effect) {
        PluginHost::Dispatch(effect, vst::effBeginSetProgram);
    }
    ~ProgramChange() { PluginHost::Dispatch(effect, vst::effEndSetProgram); }
    ProgramChange(const ProgramChange&) = delete;
    ProgramChange& operator=(const ProgramChange&) = delete;

private:
    vst::AEffect* effect;
};

/// effSetChunk with a copy of the bytes: the effect may not write into the caller's.
void SendChunk(vst::AEffect* effect, ChunkScope scope, const std::string& chunk) {
    std::string copy = chunk;
    PluginHost::Dispatch(effect, vst::effSetChunk, static_cast<int32_t>(scope),
                         static_cast<intptr_t>(copy.size()), copy.data());
}

bool TakesChunks(const vst::AEffect* effect) {
    return (effect->flags & vst::effFlagsProgramChunks) != 0;
}

void PutUint32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

uint32_t GetUint32(std::string_view bytes, size_t at) {
    uint32_t value = 0;
    for (int k = 3; k >= 0; --k) {
        value = (value << 8) | static_cast<uint8_t>(bytes[at + static_cast<size_t>(k)]);
    }
    return value;
}

}  // namespace

std::optional<EffectState> EffectState::Read(vst::AEffect* effect, std::string& error) {
    EffectState state;
    state.uniqueId = effect->uniqueId;
    state.program = EffectPrograms(effect).Current();
    if (TakesChunks(effect)) {
        std::optional<std::string> chunk = ReadEffectChunk(effect, ChunkScope::kProgram, error);
        if (!chunk) {
            return std::nullopt;
        }
        state.form = Form::kChunk;
        state.chunk = std::move(*chunk);
        return state;
    }
    state.parameters.resize(static_cast<size_t>(std::max(effect->numParams, 0)));
    for (size_t i = 0; i < state.parameters.size(); ++i) {
        state.parameters[i] = effect->getParameter(effect, static_cast<int32_t>(i));
    }
    return state;
}

bool EffectState::ApplyTo(vst::AEffect* effect, const std::string& name, std::string& error) const {
    const EffectPrograms programs(effect);
    if (uniqueId != effect->uniqueId) {
        error = "These settings are for another effect (id " + EffectIdText(uniqueId) +
                "), not for " + name + " (" + EffectIdText(effect->uniqueId) + ").";
        return false;
    }
    if (form == Form::kChunk && !TakesChunks(effect)) {
        error = "These settings are a block of the effect's own data, but " + name +
                " does not take its settings that way.";
        return false;
    }
    if (form == Form::kParameters &&
        parameters.size() != static_cast<size_t>(std::max(effect->numParams, 0))) {
        error = "These settings hold " + std::to_string(parameters.size()) +
                " parameter values, but " + name + " has " + std::to_string(effect->numParams) +
                " parameters.";
        return false;
    }
    if (program < 0 || program >= programs.Count()) {
        error = "These settings are for program " + std::to_string(program + 1) + ", but " + name +
                " has " + std::to_string(programs.Count()) + " programs.";
        return false;
    }
    const ProgramChange change(effect);
    PluginHost::Dispatch(effect, vst::effSetProgram, 0, program);
    if (form == Form::kChunk) {
        SendChunk(effect, ChunkScope::kProgram, chunk);
        return true;
    }
    for (size_t i = 0; i < parameters.size(); ++i) {
        effect->setParameter(effect, static_cast<int32_t>(i), parameters[i]);
    }
    return true;
}

std::string EffectState::Encode() const {
    std::string out(kEncodingMagic, sizeof kEncodingMagic);
    out += static_cast<char>(kEncodingVersion);
    out += static_cast<char>(form);
    PutUint32(out, static_cast<uint32_t>(uniqueId));
    PutUint32(out, static_cast<uint32_t>(program));
    if (form == Form::kChunk) {
        PutUint32(out, static_cast<uint32_t>(chunk.size()));
        out += chunk;
    } else {
        PutUint32(out, static_cast<uint32_t>(parameters.size()));
        for (float value : parameters) {
            PutUint32(out, std::bit_cast<uint32_t>(value));
        }
    }
    return out;
}

std::optional<EffectState> EffectState::Decode(std::string_view bytes, std::string& error) {
    if (bytes.size() < kEncodingHeaderBytes ||
        std::memcmp(bytes.data(), kEncodingMagic, sizeof kEncodingMagic) != 0) {
        error = "The stored effect settings are not in a form this program writes.";
        return std::nullopt;
    }
    if (static_cast<uint8_t>(bytes[4]) != kEncodingVersion) {
        error = "The stored effect settings are of version " +
                std::to_string(static_cast<uint8_t>(bytes[4])) +
                ", which this program cannot read.";
        return std::nullopt;
    }
    EffectState state;
    const uint8_t form = static_cast<uint8_t>(bytes[5]);
    state.uniqueId = static_cast<int32_t>(GetUint32(bytes, 6));
    state.program = static_cast<int32_t>(GetUint32(bytes, 10));
    const uint64_t count = GetUint32(bytes, 14);
    const size_t rest = bytes.size() - kEncodingHeaderBytes;
    const uint64_t itemBytes = form == static_cast<uint8_t>(Form::kParameters) ? 4 : 1;
    if (form > static_cast<uint8_t>(Form::kChunk) || count * itemBytes != rest) {
        error = "The stored effect settings are damaged (their sizes do not add up).";
        return std::nullopt;
    }
    state.form = static_cast<Form>(form);
    if (state.form == Form::kChunk) {
        state.chunk = std::string(bytes.substr(kEncodingHeaderBytes));
        return state;
    }
    state.parameters.resize(count);
    for (size_t i = 0; i < count; ++i) {
        state.parameters[i] = std::bit_cast<float>(GetUint32(bytes, kEncodingHeaderBytes + 4 * i));
    }
    return state;
}

int32_t EffectPrograms::Count() const {
    return std::max(effect->numPrograms, 1);
}

int32_t EffectPrograms::Current() const {
    return static_cast<int32_t>(PluginHost::Dispatch(effect, vst::effGetProgram));
}

std::vector<std::string> EffectPrograms::Names() const {
    std::vector<std::string> names(static_cast<size_t>(Count()));
    std::vector<int32_t> unnamed;
    for (int32_t i = 0; i < Count(); ++i) {
        intptr_t answered = 0;
        names[i] = PluginHost::EffectText(effect, vst::effGetProgramNameIndexed, i, &answered);
        if (answered == 0) {
            unnamed.push_back(i);
        }
    }
    if (!unnamed.empty()) {
        // Only the current program's name can be asked for: visit each, then go back.
        const int32_t current = Current();
        for (int32_t i : unnamed) {
            PluginHost::Dispatch(effect, vst::effSetProgram, 0, i);
            names[i] = CurrentName();
        }
        PluginHost::Dispatch(effect, vst::effSetProgram, 0, current);
    }
    return names;
}

std::string EffectPrograms::CurrentName() const {
    return PluginHost::EffectText(effect, vst::effGetProgramName);
}

bool EffectPrograms::Choose(int32_t program) const {
    if (program < 0 || program >= Count()) {
        return false;
    }
    const ProgramChange change(effect);
    PluginHost::Dispatch(effect, vst::effSetProgram, 0, program);
    return true;
}

void EffectPrograms::RenameCurrent(const std::string& name) const {
    // Effects copy at most 24 characters; the rest of the buffer keeps the copy terminated.
    std::vector<char> buffer(PluginHost::kTextBufferBytes, '\0');
    std::memcpy(buffer.data(), name.data(), std::min(name.size(), buffer.size() - 1));
    PluginHost::Dispatch(effect, vst::effSetProgramName, 0, 0, buffer.data());
}

std::optional<std::string> ReadEffectChunk(vst::AEffect* effect, ChunkScope scope,
                                           std::string& error) {
    void* data = nullptr;
    const intptr_t size =
        PluginHost::Dispatch(effect, vst::effGetChunk, static_cast<int32_t>(scope), 0, &data);
    if (data == nullptr || size <= 0 || static_cast<uint64_t>(size) > kMaxChunkBytes) {
        error = size > 0 && data != nullptr
                    ? "The effect handed over " + std::to_string(size) +
                          " bytes of settings, more than any effect needs."
                    : std::string("The effect did not hand over its settings.");
        return std::nullopt;
    }
    return std::string(static_cast<const char*>(data), static_cast<size_t>(size));
}

void ApplyEffectChunk(vst::AEffect* effect, ChunkScope scope, const std::string& chunk) {
    const ProgramChange change(effect);
    SendChunk(effect, scope, chunk);
}

std::string EffectIdText(int32_t uniqueId) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        text += static_cast<char>((static_cast<uint32_t>(uniqueId) >> shift) & 0xFF);
    }
    const bool printable = std::all_of(text.begin(), text.end(), [](char c) {
        return std::isprint(static_cast<unsigned char>(c)) != 0;
    });
    return printable ? "'" + text + "'" : std::to_string(uniqueId);
}
