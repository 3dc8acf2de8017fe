#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "render/OutputLevel.h"
#include "render/RenderFormat.h"

/// A parameter set before a command-line render: its index and normalised value (0 to 1).
struct EffectParameter {
    int32_t index = 0;
    float value = 0.0f;
};

/// One effect of a command-line render's chain.
struct RenderEffect {
    std::string nameOrPath;  // a plug-in's display name, or a library's path (it has a '/')
    std::vector<EffectParameter> parameters;  // set after the preset, in order
    /// Looked up and loaded like the others (so a wrong name still fails), then taken out of
    /// the chain again: the output is what it would be without this effect.
    bool bypass = false;
    /// A preset file (*.fxp) to load into the effect before its parameters are set; "" none.
    std::string preset;
};

/// What applies to the whole command-line render.
struct RenderSettings {
    bool tail = false;     // render on past the end until the effects fall silent
    bool verbose = false;  // let the plug-ins' own output through to the terminal
    /// The output's format; without one, the output's extension chooses (see
    /// render_format::ForPath).
    std::optional<RenderFormat> format;
    bool dither = true;  // dither a changed signal that is reduced to 16 bits
    uint32_t rate = 0;   // the output's sample rate; 0 keeps the input's
    OutputLevel level;   // gain, normalize and fades on the whole output, after the effects
    /// The sample rates --rate accepts.
    static constexpr uint32_t kMinRate = 8000;
    static constexpr uint32_t kMaxRate = 384000;
    /// Load every effect inside this process rather than each in a child of its own.
    bool inProcess = false;
};

/// `orvane --render OUTPUT INPUT [--effect NAME-OR-PATH [--param INDEX=VALUE]... [--bypass]
/// [--preset FILE]]... [--tail] [--verbose] [--format F] [--no-dither] [--rate HZ] [--gain DB]
/// [--normalize DBFS] [--fade-in S] [--fade-out S] [--in-process]`: opens INPUT
/// as the workspace (a WAV file, or a saved session, *.orvane, with its files and edits) and
/// renders it, through the effects in order (or none), into OUTPUT in the chosen format (by
/// default by OUTPUT's extension: FLAC for .flac, otherwise 16-bit WAV) at the workspace's rate
/// or the one asked for, with the level changes asked for made to the effects' output.
/// Needs no display and no sound device.
///
/// An effect given by name is looked up among the plug-ins found where Orvane looks for them
/// (examined by orvane-scan, with the cache); one given by path is examined by orvane-scan
/// first. Either way a library that fails its examination is never loaded here. Unless
/// `settings.verbose`, whatever the plug-ins print goes to /dev/null. Each effect runs in a
/// process of its own unless `settings.inProcess`: one that crashes or stops responding ends
/// the render, which then writes nothing and names it.
///
///     std::string error;
///     if (RunRenderCommand("out.wav", "in.wav", {{.nameOrPath = "Gain"}}, {}, error) != 0)
///         fputs(error.c_str(), stderr);
///
/// Returns 0 on success; otherwise 1 with `error` set to one line naming the file (or the
/// effect) and the reason. A failed render leaves no OUTPUT behind, and no source is ever written.
int RunRenderCommand(const std::string& output, const std::string& input,
                     const std::vector<RenderEffect>& effects, const RenderSettings& settings,
                     std::string& error);
