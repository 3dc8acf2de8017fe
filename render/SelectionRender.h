#pragma once

#include <cstdint>
#include <string>

#include "render/WorkspaceRenderer.h"

class PluginHost;
class Workspace;

/// Renders the workspace frames [first, first + count) alone through the host's effect chain
/// into a new 16-bit WAV file at `path`, exactly `count` frames long: the chain is reset, its
/// latency compensated and its output dithered, as a render of a workspace holding only those
/// frames would be (see WorkspaceRenderer). The effects hear the range from its first frame,
/// not what comes before it. While it runs, the workspace shows only the range; it is back as
/// it was (the same state) when the call returns. Progress counts frames of the range.
///
///     const RenderResult r = RenderSelection(host, workspace, 1000, 44100, ownedPath, progress);
///
/// Runs on the user-interface thread while nothing else calls PluginHost::Process.
RenderResult RenderSelection(PluginHost& host, Workspace& workspace, uint32_t first, uint32_t count,
                             const std::string& path, const WorkspaceRenderer::Progress& progress);
