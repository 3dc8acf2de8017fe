#include "app/PluginMenus.h"

#include "plugins/CatalogNames.h"

namespace {

// A plug-in's text as a menu label: '&' would otherwise mark a mnemonic.
wxString MenuLabel(const std::string& text) {
    wxString label = wxString::FromUTF8(text);
    if (label.empty() && !text.empty()) {
        label = wxString(text.data(), wxConvISO8859_1, text.size());
    }
    label.Replace("&", "&&");
    return label;
}

}  // namespace

void AppendPluginMenus(wxMenu* menu, const std::vector<PluginInfo>& catalogue, int firstId,
                       int lastId) {
    // The items come grouped and sorted, so a new submenu starts where the group or the
    // section changes.
    wxMenu* group = nullptr;
    wxMenu* section = nullptr;
    wxMenu* word = nullptr;
    const catalog_names::MenuItem* previous = nullptr;
    for (const catalog_names::MenuItem& item : catalog_names::MenuItems(catalogue)) {
        if (static_cast<long long>(item.index) > static_cast<long long>(lastId) - firstId) {
            continue;
        }
        if (previous == nullptr || previous->group != item.group) {
            group = new wxMenu;
            menu->AppendSubMenu(group, MenuLabel(item.group));
            section = nullptr;
            word = nullptr;
        }
        if (!item.section.empty() && (section == nullptr || previous->section != item.section)) {
            section = new wxMenu;
            group->AppendSubMenu(section, MenuLabel(item.section));
            word = nullptr;
        }
        if (!item.word.empty() && (word == nullptr || previous->word != item.word)) {
            word = new wxMenu;
            section->AppendSubMenu(word, MenuLabel(item.word));
        }
        wxMenu* parent = word != nullptr ? word : section != nullptr ? section : group;
        parent->AppendCheckItem(firstId + static_cast<int>(item.index), MenuLabel(item.name));
        previous = &item;
    }
}
