#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugins/PluginInfo.h"
#include "session/EffectRecord.h"

/// Which library to load for an effect a session kept, against the plug-ins the last scan
/// found: the saved library while it is still that effect, or else the one scanned library
/// with the effect's unique id (the plug-in moved or was installed elsewhere).
///
///     const EffectLibraryChoice choice = FindEffectLibrary(record, host.Catalog());
///     if (choice.path.empty()) {
///         warnings.push_back(choice.problem);  // the rest of the chain still loads
///     }
///
/// In order: the saved path when the catalogue lists it, passed, with the same id; the saved
/// path when it exists and the catalogue does not know it (loading examines it); otherwise the
/// catalogue's passed libraries with the id: the only one, or of several the first with the
/// saved library's file name, or else the first. An id of 0 finds nothing elsewhere: effects
/// without an id of their own share it.
struct EffectLibraryChoice {
    std::string path;     // the library to load; "" when there is none
    std::string problem;  // why there is none, in words for the user naming the effect
};

/// The library to load for `record` among `catalogue` (the scanned plug-ins), or why none.
EffectLibraryChoice FindEffectLibrary(const EffectRecord& record,
                                      const std::vector<PluginInfo>& catalogue);
