#include "plugins/CatalogNames.h"

#include <strings.h>

#include <algorithm>
#include <map>
#include <set>

namespace catalog_names {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return c < 0x80 ? static_cast<char>(std::tolower(c)) : static_cast<char>(c);
    });
    return text;
}

std::string FileName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The makers a vendor string credits, in its order: "Martin Eastwood, falkTX" names two.
std::vector<std::string> Credits(const std::string& vendor) {
    std::vector<std::string> credits;
    std::string rest = vendor;
    for (;;) {
        size_t cut = std::string::npos;
        size_t width = 0;
        for (const char* separator : {",", " and ", " & ", "/"}) {
            const size_t at = rest.find(separator);
            if (at < cut) {
                cut = at;
                width = std::char_traits<char>::length(separator);
            }
        }
        if (const std::string credit = Trimmed(rest.substr(0, cut)); !credit.empty()) {
            credits.push_back(credit);
        }
        if (cut == std::string::npos) {
            return credits;
        }
        rest = rest.substr(cut + width);
    }
}

// Makers known under two names: the first is folded into the second when both are in the
// catalogue (DISTRHO is falkTX's label, and its suite credits him by either name).
const std::map<std::string, std::string>& OtherNames() {
    static const std::map<std::string, std::string> names = {{"falktx", "DISTRHO"}};
    return names;
}

bool Usable(const PluginInfo& info) {
    return info.ok && !info.IsInstrument();
}

}  // namespace

std::vector<std::string> ShownNames(const std::vector<PluginInfo>& catalogue) {
    // A usable plug-in keeps its plain name beside failed ones of the same name, which are
    // the ones told apart then.
    std::vector<std::string> names;
    std::map<std::string, size_t> usableCount;
    std::map<std::string, size_t> allCount;
    std::map<std::string, size_t> fileCount;
    for (const PluginInfo& info : catalogue) {
        names.push_back(info.DisplayName());
        const std::string key = Lower(names.back());
        usableCount[key] += info.ok ? 1 : 0;
        ++allCount[key];
        ++fileCount[key + '\n' + FileName(info.path)];
    }
    for (size_t i = 0; i < catalogue.size(); ++i) {
        const std::string key = Lower(names[i]);
        if ((catalogue[i].ok ? usableCount[key] : allCount[key]) > 1) {
            const std::string file = FileName(catalogue[i].path);
            names[i] += " (" + (fileCount[key + '\n' + file] > 1 ? catalogue[i].path : file) + ")";
        }
    }
    return names;
}

std::optional<size_t> FindByShownName(const std::vector<PluginInfo>& catalogue,
                                      const std::string& name) {
    const std::vector<std::string> names = ShownNames(catalogue);
    std::optional<size_t> caseless;
    size_t caselessCount = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) {
            return i;
        }
        if (::strcasecmp(names[i].c_str(), name.c_str()) == 0) {
            caseless = i;
            ++caselessCount;
        }
    }
    return caselessCount == 1 ? caseless : std::nullopt;
}

std::string EffectLibraryNamed(const std::vector<PluginInfo>& catalogue, const std::string& name,
                               std::string& error) {
    const std::optional<size_t> found = FindByShownName(catalogue, name);
    if (!found) {
        error = name + ": no plug-in has this name (orvane --list-plugins lists them)";
        return {};
    }
    const PluginInfo& info = catalogue[*found];
    if (!info.ok) {
        error = name + ": " + info.path + " failed its examination: " + info.failure;
        return {};
    }
    if (info.IsInstrument()) {
        error = name + ": " + info.path + " is an instrument (no audio input), not an effect";
        return {};
    }
    return info.path;
}

std::vector<std::string> MakerGroups(const std::vector<PluginInfo>& catalogue) {
    // A maker has a group of its own when it is the whole vendor of some entry.
    std::map<std::string, std::string> ownGroups;  // lower case -> as written
    for (const PluginInfo& info : catalogue) {
        if (!info.vendor.empty() && Credits(info.vendor).size() == 1) {
            ownGroups.emplace(Lower(Trimmed(info.vendor)), Trimmed(info.vendor));
        }
    }
    std::vector<std::string> groups;
    for (const PluginInfo& info : catalogue) {
        std::string group = info.VendorGroup();
        const std::vector<std::string> credits = Credits(info.vendor);
        if (credits.size() == 1) {
            group = credits.front();
        }
        for (const std::string& credit : credits) {
            if (const auto own = ownGroups.find(Lower(credit)); own != ownGroups.end()) {
                group = own->second;
                break;
            }
        }
        if (const auto other = OtherNames().find(Lower(group)); other != OtherNames().end()) {
            if (const auto known = ownGroups.find(Lower(other->second)); known != ownGroups.end()) {
                group = known->second;
            }
        }
        groups.push_back(group);
    }
    return groups;
}

std::vector<MenuItem> MenuItems(const std::vector<PluginInfo>& catalogue,
                                size_t largestPlainGroup) {
    const std::vector<std::string> names = ShownNames(catalogue);
    const std::vector<std::string> groups = MakerGroups(catalogue);
    std::map<std::string, size_t> groupSizes;
    for (size_t i = 0; i < catalogue.size(); ++i) {
        groupSizes[groups[i]] += Usable(catalogue[i]) ? 1 : 0;
    }
    std::vector<MenuItem> items;
    std::map<std::string, size_t> sectionSizes;
    for (size_t i = 0; i < catalogue.size(); ++i) {
        if (!Usable(catalogue[i])) {
            continue;
        }
        const bool split = groupSizes[groups[i]] > largestPlainGroup;
        items.push_back({i, groups[i], split ? catalogue[i].CategoryText() : "", "", names[i]});
        ++sectionSizes[items.back().group + '\n' + items.back().section];
    }
    for (MenuItem& item : items) {
        if (!item.section.empty() &&
            sectionSizes[item.group + '\n' + item.section] > largestPlainGroup) {
            item.word = item.name.substr(0, item.name.find(' '));
        }
    }
    std::stable_sort(items.begin(), items.end(), [](const MenuItem& a, const MenuItem& b) {
        const bool aOther = a.group == "Other";
        const bool bOther = b.group == "Other";
        if (aOther != bOther) {
            return bOther;
        }
        for (const auto& [x, y] : {std::pair{&a.group, &b.group},
                                   {&a.section, &b.section},
                                   {&a.word, &b.word},
                                   {&a.name, &b.name}}) {
            if (const int c = ::strcasecmp(x->c_str(), y->c_str()); c != 0) {
                return c < 0;
            }
        }
        return false;
    });
    return items;
}

}  // namespace catalog_names
