#pragma once

#include <wx/menu.h>

#include <vector>

#include "plugins/PluginInfo.h"

/// Appends the catalogue's usable effects to `menu`: one submenu per maker group, inside a
/// group of more than catalog_names::kLargestPlainGroup one submenu per category, and inside
/// such a category of more than that one submenu per first word of the names. Entry i
/// has the command id firstId + i, as a check item; entries past lastId are left out, and so
/// are plug-ins that failed their examination and instruments (the chooser lists those).
///
///     AppendPluginMenus(pluginMenu, host->Catalog(), cmd::kFirstPlugin, cmd::kLastPlugin);
void AppendPluginMenus(wxMenu* menu, const std::vector<PluginInfo>& catalogue, int firstId,
                       int lastId);
