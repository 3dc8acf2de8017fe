#pragma once

#include <string>

/// `orvane --render OUTPUT INPUT`: opens INPUT as the workspace (a WAV file, or a saved
/// session, *.orvane, with its files and edits) and renders it, through an empty effect chain,
/// into OUTPUT as a canonical 16-bit stereo WAV file at the workspace's rate. Needs no display
/// and no sound device.
///
///     std::string error;
///     if (RunRenderCommand("out.wav", "in.wav", error) != 0) fputs(error.c_str(), stderr);
///
/// Returns 0 on success; otherwise 1 with `error` set to one line naming the file and the
/// reason. A failed render leaves no OUTPUT behind, and no source is ever written.
int RunRenderCommand(const std::string& output, const std::string& input, std::string& error);
