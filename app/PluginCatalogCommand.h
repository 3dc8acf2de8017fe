#pragma once

#include <cstdio>

/// `orvane --list-plugins` and `orvane --rescan`, without a window: finds the plug-ins where
/// Orvane looks for them, examines new or changed ones (all of them with rescan, which
/// rebuilds the cache), and with `list` prints the catalogue, one plug-in a line: the name it
/// is shown and chosen by (--effect), its maker group, path and status ("ok", "instrument (no
/// audio input)" or "failed: reason"), separated by tabs. Returns the exit
/// status: 0, or 1 when the examining program cannot be run.
int RunPluginCatalogCommand(bool rescan, bool list, std::FILE* out, std::FILE* errors);
