#include "session/SessionFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <sstream>

#include "audio/FramesHash.h"
#include "platform/Base64.h"
#include "platform/LineEscape.h"
#include "platform/SessionStorage.h"

namespace session_file {
namespace {

constexpr const char* kMagic = "orvane-session";

// Reads one decimal number and the single space after it (none at the end of the line).
template <typename Number>
bool Take(std::string_view& line, Number& value) {
    const auto [rest, error] = std::from_chars(line.data(), line.data() + line.size(), value);
    if (error != std::errc() || rest == line.data()) {
        return false;
    }
    line.remove_prefix(static_cast<size_t>(rest - line.data()));
    if (!line.empty()) {
        if (line.front() != ' ') {
            return false;
        }
        line.remove_prefix(1);
    }
    return true;
}

bool TakeWord(std::string_view& line, std::string_view word) {
    if (line.substr(0, word.size()) != word ||
        (line.size() > word.size() && line[word.size()] != ' ')) {
        return false;
    }
    line.remove_prefix(std::min(line.size(), word.size() + 1));
    return true;
}

// A `-`, or a frames hash, and the single space after it.
bool TakeHash(std::string_view& line, std::optional<uint64_t>& hash) {
    const size_t space = line.find(' ');
    if (space == std::string_view::npos) {
        return false;
    }
    const std::string_view word = line.substr(0, space);
    line.remove_prefix(space + 1);
    uint64_t value = 0;
    if (word == "-") {
        hash.reset();
    } else if (ParseFramesHash(word, value)) {
        hash = value;
    } else {
        return false;
    }
    return true;
}

// `active` or `bypassed`, and the single space after it.
bool TakeBypassed(std::string_view& line, bool& bypassed) {
    if (TakeWord(line, "active")) {
        bypassed = false;
    } else if (TakeWord(line, "bypassed")) {
        bypassed = true;
    } else {
        return false;
    }
    return true;
}

// A `-` for no settings, or the settings in base64, and the single space after it.
bool TakeState(std::string_view& line, std::vector<uint8_t>& state) {
    const size_t space = line.find(' ');
    if (space == std::string_view::npos) {
        return false;
    }
    const std::string_view word = line.substr(0, space);
    line.remove_prefix(space + 1);
    if (word == "-") {
        state.clear();
        return true;
    }
    if (word.empty()) {
        return false;
    }
    const std::optional<std::string> bytes = platform::Base64Decode(word);
    if (!bytes.has_value()) {
        return false;
    }
    state.assign(bytes->begin(), bytes->end());
    return true;
}

// The rest of an `effect` line: id, bypassed, state and library path.
bool ReadEffectLine(std::string_view line, EffectRecord& effect) {
    return Take(line, effect.uniqueId) && TakeBypassed(line, effect.bypassed) &&
           TakeState(line, effect.state) && line.starts_with('/') &&
           platform::UnescapeLine(std::string(line), effect.libraryPath);
}

constexpr std::pair<FadeCurve, std::string_view> kCurveNames[] = {
    {FadeCurve::kLinear, "linear"},
    {FadeCurve::kEqualPower, "equal-power"},
    {FadeCurve::kLogarithmic, "logarithmic"},
};

// A gain: finite and not below 0.
bool TakeGain(std::string_view& line, double& gain) {
    return Take(line, gain) && std::isfinite(gain) && gain >= 0.0;
}

// What a `segment` line holds after its frames: `gain G` when not 1, then `ramp CURVE ORIGIN
// LENGTH FROM TO` for each ramp.
bool TakeLevel(std::string_view& line, PieceLevel& level) {
    if (TakeWord(line, "gain") && !TakeGain(line, level.gain)) {
        return false;
    }
    while (TakeWord(line, "ramp")) {
        Ramp ramp;
        const auto named = std::find_if(std::begin(kCurveNames), std::end(kCurveNames),
                                        [&](const auto& c) { return TakeWord(line, c.second); });
        if (named == std::end(kCurveNames) || !Take(line, ramp.origin) ||
            !Take(line, ramp.length) || ramp.length == 0 || !TakeGain(line, ramp.fromGain) ||
            !TakeGain(line, ramp.toGain)) {
            return false;
        }
        ramp.curve = named->first;
        level.ramps.push_back(ramp);
    }
    return line.empty();
}

// A number written so that reading it back gives exactly the same double.
std::string Exact(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string LevelText(const PieceLevel& level) {
    std::string text;
    if (level.gain != 1.0) {
        text += " gain " + Exact(level.gain);
    }
    for (const Ramp& ramp : level.ramps) {
        const auto named = std::find_if(std::begin(kCurveNames), std::end(kCurveNames),
                                        [&](const auto& c) { return c.first == ramp.curve; });
        text += " ramp " + std::string(named->second) + ' ' + std::to_string(ramp.origin) + ' ' +
                std::to_string(ramp.length) + ' ' + Exact(ramp.fromGain) + ' ' + Exact(ramp.toGain);
    }
    return text;
}

struct Source {
    uint64_t size = 0;
    int64_t modifiedNs = 0;
    uint32_t rate = 0;
    std::optional<uint64_t> hash;  // none in version 1, or when it was not known
    std::string path;
};

// Opens the file at `path` to stand for source `saved`: the saved file itself (not yet
// `located`) or one the user chose in its place. Returns the file, or nothing with `problem`
// set in words for the user.
std::shared_ptr<const WaveFile> OpenAs(const Source& saved, const std::string& path, bool located,
                                       Workspace& workspace, std::string& problem) {
    const std::string named = located ? "the chosen file " + path + " (for " + saved.path + ")"
                                      : "the source file " + path;
    const std::string differs = located ? named + " does not hold the same audio"
                                        : named + " has changed since the session was saved";
    const platform::FileStamp stamp = platform::StampOf(path);
    if (!stamp.exists) {
        problem = named + " is missing";
        return nullptr;
    }
    const bool unchanged =
        !located && stamp.size == saved.size && stamp.modifiedNs == saved.modifiedNs;
    // A saved file of another size holds other audio; one whose time alone changed, or a
    // chosen file, is vouched for by the hash alone.
    if (!unchanged && (!saved.hash || (!located && stamp.size != saved.size))) {
        problem = differs;
        return nullptr;
    }
    std::string why;
    std::shared_ptr<const WaveFile> file = workspace.OpenSource(path.c_str(), &why);
    if (!file) {
        problem = named + " cannot be opened: " + why;
        return nullptr;
    }
    if (file->SampleRate() != saved.rate) {
        problem = differs;
        return nullptr;
    }
    if (!unchanged && FramesHashOf(*file) != saved.hash) {
        problem = differs;
        return nullptr;
    }
    return file;
}

}  // namespace

std::string Write(const WorkspaceState& state, const std::vector<EffectRecord>& effects,
                  Hashes hashes) {
    // The listed files in their order, then any file only a pasted piece still names.
    std::vector<const WaveFile*> sources;
    std::map<const WaveFile*, size_t> indexOf;
    auto note = [&](const WaveFile* file) {
        if (indexOf.emplace(file, sources.size()).second) {
            sources.push_back(file);
        }
    };
    for (const auto& file : *state.files) {
        note(file.get());
    }
    state.segments.ForEach([&](const Piece& piece) { note(piece.file.get()); });

    std::ostringstream out;
    out << kMagic << ' ' << kVersion << '\n';
    for (const WaveFile* file : sources) {
        // Where the file is now: one moved while open (and located there) is recorded there.
        const std::string path = file->CurrentPath();
        const platform::FileStamp stamp = platform::StampOf(path);
        uint64_t hash = 0;
        bool known = file->KnownFramesHash(hash);
        if (!known && hashes == Hashes::kCompute) {
            const std::optional<uint64_t> computed = FramesHashOf(*file);
            known = computed.has_value();
            hash = computed.value_or(0);
        }
        out << "source " << stamp.size << ' ' << stamp.modifiedNs << ' ' << file->SampleRate()
            << ' ' << (known ? FramesHashText(hash) : std::string("-")) << ' '
            << platform::EscapeLine(platform::AbsolutePath(path)) << '\n';
    }
    state.segments.ForEach([&](const Piece& piece) {
        out << "segment " << indexOf[piece.file.get()] << ' ' << piece.start << ' ' << piece.end
            << LevelText(piece.level) << '\n';
    });
    for (const EffectRecord& effect : effects) {
        out << "effect " << effect.uniqueId << ' ' << (effect.bypassed ? "bypassed" : "active")
            << ' '
            << (effect.state.empty()
                    ? std::string("-")
                    : platform::Base64Encode(std::string_view(
                          reinterpret_cast<const char*>(effect.state.data()), effect.state.size())))
            << ' ' << platform::EscapeLine(platform::AbsolutePath(effect.libraryPath)) << '\n';
        out << "name" << (effect.name.empty() ? "" : " " + platform::EscapeLine(effect.name))
            << '\n';
    }
    out << "end\n";
    return out.str();
}

std::string Write(const WorkspaceState& state, Hashes hashes) {
    return Write(state, {}, hashes);
}

bool Read(const std::string& text, Workspace& workspace, WorkspaceState& state,
          std::vector<EffectRecord>& effects, std::string& error, const Locator& locate) {
    std::istringstream in(text);
    std::string lineText;
    int version = 0;
    {
        std::getline(in, lineText);
        std::string_view line = lineText;
        if (!TakeWord(line, kMagic) || !Take(line, version) || !line.empty()) {
            error = "it is not an Orvane session file";
            return false;
        }
        if (version > kVersion) {
            error = "it was saved by a newer version of Orvane (session version " +
                    std::to_string(version) + ")";
            return false;
        }
        if (version < 1) {
            error = "it is damaged (unknown session version)";
            return false;
        }
    }
    std::vector<Source> sources;
    std::vector<Piece> pieces;
    std::vector<uint32_t> pieceSources;
    std::vector<EffectRecord> chain;
    bool named = true;  // the latest effect has its `name` line
    bool ended = false;
    int lineNumber = 1;
    while (std::getline(in, lineText)) {
        ++lineNumber;
        std::string_view line = lineText;
        const std::string where = "it is damaged (line " + std::to_string(lineNumber) + ")";
        if (ended || (!named && !line.starts_with("name"))) {
            error = where;
            return false;
        }
        if (TakeWord(line, "source")) {
            Source s;
            if (!Take(line, s.size) || !Take(line, s.modifiedNs) || !Take(line, s.rate) ||
                (version >= 2 && !TakeHash(line, s.hash)) || line.empty() ||
                !platform::UnescapeLine(std::string(line), s.path) || !pieces.empty() ||
                !chain.empty()) {
                error = where;
                return false;
            }
            sources.push_back(std::move(s));
        } else if (TakeWord(line, "segment")) {
            uint32_t index = 0;
            Piece piece;
            if (!Take(line, index) || !Take(line, piece.start) || !Take(line, piece.end) ||
                !(version >= 4 ? TakeLevel(line, piece.level) : line.empty()) ||
                index >= sources.size() || piece.start > piece.end || !chain.empty()) {
                error = where;
                return false;
            }
            pieceSources.push_back(index);
            pieces.push_back(piece);
        } else if (version >= 3 && TakeWord(line, "effect")) {
            EffectRecord effect;
            if (!ReadEffectLine(line, effect)) {
                error = where;
                return false;
            }
            chain.push_back(std::move(effect));
            named = false;
        } else if (!named && TakeWord(line, "name")) {
            if (!platform::UnescapeLine(std::string(line), chain.back().name)) {
                error = where;
                return false;
            }
            named = true;
        } else if (line == "end") {
            ended = true;
        } else {
            error = where;
            return false;
        }
    }
    if (!ended) {
        error = "it is damaged (it ends early)";
        return false;
    }

    // Every source must be there as it was saved (or be found); only then is anything shown.
    auto files = std::make_shared<WorkspaceState::Files>();
    for (const Source& s : sources) {
        std::string problem;
        std::shared_ptr<const WaveFile> file = OpenAs(s, s.path, false, workspace, problem);
        while (!file) {
            // Without the saved hash no other file can be told to hold the same audio.
            std::optional<std::string> chosen;
            if (!s.hash || !locate || !(chosen = locate(s.path, problem))) {
                error = problem;
                return false;
            }
            file = OpenAs(s, *chosen, true, workspace, problem);
        }
        files->push_back(std::move(file));
    }
    uint64_t length = 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
        pieces[i].file = (*files)[pieceSources[i]];
        length += pieces[i].Length();
        if (pieces[i].end > pieces[i].file->FrameCount() || length > 0xFFFFFFFFu) {
            error = "it is damaged (a segment lies outside " + sources[pieceSources[i]].path + ")";
            return false;
        }
    }
    state.files = std::move(files);
    state.segments = EditList::FromPieces(pieces);
    effects = std::move(chain);
    return true;
}

bool Read(const std::string& text, Workspace& workspace, WorkspaceState& state, std::string& error,
          const Locator& locate) {
    std::vector<EffectRecord> effects;
    return Read(text, workspace, state, effects, error, locate);
}

bool Save(const std::string& path, const WorkspaceState& state,
          const std::vector<EffectRecord>& effects, std::string& error, Hashes hashes) {
    return platform::ReplaceFileAtomically(path, Write(state, effects, hashes), error);
}

bool Save(const std::string& path, const WorkspaceState& state, std::string& error, Hashes hashes) {
    return Save(path, state, {}, error, hashes);
}

bool Load(const std::string& path, Workspace& workspace, WorkspaceState& state,
          std::vector<EffectRecord>& effects, std::string& error, const Locator& locate) {
    std::string text;
    if (!platform::ReadWholeFile(path, text, error)) {
        error = path + ": " + error;
        return false;
    }
    if (!Read(text, workspace, state, effects, error, locate)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool Load(const std::string& path, Workspace& workspace, WorkspaceState& state, std::string& error,
          const Locator& locate) {
    std::vector<EffectRecord> effects;
    return Load(path, workspace, state, effects, error, locate);
}

}  // namespace session_file
