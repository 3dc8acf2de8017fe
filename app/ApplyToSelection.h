#pragma once

#include <cstdint>
#include <string>

class EditSession;
class PluginHost;
class wxWindow;

/// Apply to Selection's rendering: workspace frames [first, first + count) through the host's
/// effect chain (see RenderSelection) into a new WAV file the session owns, with a modal
/// progress dialog that offers Cancel. Returns the file's path; "" when no effect is active,
/// the render failed (the user was told why) or was cancelled, and then no file is left.
///
///     view.ApplyEffectsWith([&](uint32_t first, uint32_t count) {
///         return RenderSelectionForApply(frame, session, host, first, count);
///     }, bypassTheEffects);
std::string RenderSelectionForApply(wxWindow* parent, EditSession& session, PluginHost& host,
                                    uint32_t first, uint32_t count);
