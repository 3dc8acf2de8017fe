#pragma once

#include <string>
#include <vector>

#include "plugins/PluginInfo.h"
#include "plugins/PluginScanner.h"

/// How Orvane examines the plug-ins it finds: with orvane-scan and its cache; with `rescan`,
/// every library again.
PluginScanner::Settings InstalledScanSettings(bool rescan = false);

/// The catalogue of the folders Orvane searches, examining new or changed libraries first.
std::vector<PluginInfo> InstalledEffects();

/// The library of the installed effect shown as `name` (see catalog_names::ShownNames), from
/// the catalogue of the folders Orvane searches, examining new or changed libraries first.
/// Empty with `error` set when no plug-in is shown under that name, or it cannot be used.
///
///     std::string error;
///     const std::string library = InstalledEffectNamed("Gate Stereo", error);
std::string InstalledEffectNamed(const std::string& name, std::string& error);
