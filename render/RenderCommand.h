#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// A parameter set before a command-line render: its index and normalised value (0 to 1).
struct EffectParameter {
    int32_t index = 0;
    float value = 0.0f;
};

/// The effect a command-line render goes through; no name or path: none.
struct RenderEffect {
    std::string nameOrPath;  // a plug-in's display name, or a library's path (it has a '/')
    std::vector<EffectParameter> parameters;
    bool tail = false;  // render on past the end until the effect falls silent
};

/// `orvane --render OUTPUT INPUT [--effect NAME-OR-PATH [--param INDEX=VALUE]... [--tail]]`:
/// opens INPUT as the workspace (a WAV file, or a saved session, *.orvane, with its files and
/// edits) and renders it, through the effect (or none), into OUTPUT as a canonical 16-bit
/// stereo WAV file at the workspace's rate. Needs no display and no sound device.
///
/// An effect given by name is looked up among the plug-ins found where Orvane looks for them
/// (examined by orvane-scan, with the cache); one given by path is examined by orvane-scan
/// first. Either way a library that fails its examination is never loaded here.
///
///     std::string error;
///     if (RunRenderCommand("out.wav", "in.wav", {}, error) != 0) fputs(error.c_str(), stderr);
///
/// Returns 0 on success; otherwise 1 with `error` set to one line naming the file (or the
/// effect) and the reason. A failed render leaves no OUTPUT behind, and no source is ever written.
int RunRenderCommand(const std::string& output, const std::string& input,
                     const RenderEffect& effect, std::string& error);
