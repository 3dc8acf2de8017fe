#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "plugins/PluginInfo.h"

/// What the user sees of a catalogue as a whole: a name for every entry that no other entry
/// shares, the maker group each belongs to, and the layout of the "VST Plugins" menu.
///
///     const std::vector<std::string> names = catalog_names::ShownNames(catalogue);
///     if (auto i = catalog_names::FindByShownName(catalogue, "Gate Stereo")) Use(catalogue[*i]);
///     for (const auto& item : catalog_names::MenuItems(catalogue)) Add(item);
namespace catalog_names {

/// The name entry i is shown under, for every entry: its DisplayName(), followed by its
/// library's file name in brackets where another usable entry's name is the same without
/// regard to case (for a failed entry: any other entry's), or by the whole path where the file
/// names are the same too: "Compressor (compressor-ms.so)".
std::vector<std::string> ShownNames(const std::vector<PluginInfo>& catalogue);

/// The entry shown as `name`: the one whose shown name is exactly `name`, or else the only one
/// whose shown name differs from it only in case.
std::optional<size_t> FindByShownName(const std::vector<PluginInfo>& catalogue,
                                      const std::string& name);

/// The library of the effect shown as `name`; empty with `error` set when there is none, when
/// it failed its examination, or when it is an instrument (it has no audio to work on).
std::string EffectLibraryNamed(const std::vector<PluginInfo>& catalogue, const std::string& name,
                               std::string& error);

/// The maker group of every entry: its VendorGroup(), except that a vendor naming several
/// makers ("A, B", "A and B", "A & B") joins the group of the first of them that is the whole
/// vendor of another entry, and that a maker's other names are folded into its best-known one.
std::vector<std::string> MakerGroups(const std::vector<PluginInfo>& catalogue);

/// One plug-in in the "VST Plugins" menu.
struct MenuItem {
    size_t index = 0;     // in the catalogue
    std::string group;    // the maker group's submenu
    std::string section;  // the category submenu inside it; empty when the group is not split
    std::string word;     // a submenu inside the category, when that is large too
    std::string name;     // the shown name
};

/// A maker group with more usable effects than this is split into submenus by category, and a
/// category with more than this into submenus by the first word of the names.
inline constexpr size_t kLargestPlainGroup = 30;

/// The menu's plug-ins in order: usable effects only (no failed ones, no instruments), by
/// maker group ("Other" last), then by category where the group is split, then by first word
/// where the category is split, then by name.
std::vector<MenuItem> MenuItems(const std::vector<PluginInfo>& catalogue,
                                size_t largestPlainGroup = kLargestPlainGroup);

}  // namespace catalog_names
