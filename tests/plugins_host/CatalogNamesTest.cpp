// The catalogue as the user sees it: names nobody else has, maker groups, the menu's layout and
// the lookup --effect does. The rows are taken from Debian's plug-in suites as they report
// themselves.

#include "plugins/CatalogNames.h"

#include <gtest/gtest.h>

#include <set>

namespace {

constexpr int32_t kEffect = 1;
constexpr int32_t kSynth = 2;
constexpr int32_t kAnalysis = 3;
constexpr int32_t kMastering = 4;

PluginInfo Entry(const std::string& name, const std::string& product, const std::string& path,
                 const std::string& vendor = "V", int32_t category = kEffect, int32_t inputs = 2) {
    PluginInfo info;
    info.ok = true;
    info.name = name;
    info.product = product;
    info.path = path;
    info.vendor = vendor;
    info.category = category;
    info.inputs = inputs;
    info.outputs = 2;
    return info;
}

TEST(CatalogNames, EveryEntryIsShownUnderANameOfItsOwn) {
    const std::string lsp = "/usr/lib/vst/lsp-plugins/";
    const struct Row {
        const char* name;
        const char* product;
        std::string path;
        const char* shown;
    } rows[] = {
        // Cut at 31 bytes: the product holds the whole name after "LSP " and before " [VST]".
        {"Sidechain Multiband Compressor ", "LSP Sidechain Multiband Compressor Mono x8 [VST]",
         lsp + "sc-mb-compressor-mono.so", "Sidechain Multiband Compressor Mono x8"},
        {"Sidechain Multiband Compressor ", "LSP Sidechain Multiband Compressor Stereo x8 [VST]",
         lsp + "sc-mb-compressor-stereo.so", "Sidechain Multiband Compressor Stereo x8"},
        {"Sidechain Multiband Dynamic Pro",
         "LSP Sidechain Multiband Dynamic Processor LeftRight x8 [VST]",
         lsp + "sc-mb-dyna-processor-lr.so", "Sidechain Multiband Dynamic Processor LeftRight x8"},
        {"Parametric Equalizer x16 LeftRi", "LSP Parametric Equalizer x16 LeftRight [VST]",
         lsp + "para-equalizer-x16-lr.so", "Parametric Equalizer x16 LeftRight"},
        // Whole already: the product adds nothing.
        {"Gate Stereo", "LSP Gate Stereo [VST]", lsp + "gate-stereo.so", "Gate Stereo"},
        // Trailing spaces go; a product that begins with the name completes it.
        {"Hall  ", "", "/v/hall.so", "Hall"},
        {"Big Room", "Big Room Reverb", "/v/room.so", "Big Room Reverb"},
        // A product that merely differs is not a longer name.
        {"ZynChorus", "Chorus", "/usr/lib/vst/ZynChorus.so", "ZynChorus"},
        {"Dragonfly Hall Reverb", "Dragonfly Reverb", "/v/hall-reverb.so", "Dragonfly Hall Reverb"},
        // A 31-byte name in a product that does not hold it: the longer product.
        {"Multiband Dynamic Processor Ste", "Multiband Dynamics Stereo Edition", "/v/mdp.so",
         "Multiband Dynamics Stereo Edition"},
        // The same name twice, in any case: told apart by file name, or path when those match.
        {"Compressor", "", "/a/comp-one.so", "Compressor (comp-one.so)"},
        {"COMPRESSOR ", "", "/a/comp-two.so", "COMPRESSOR (comp-two.so)"},
        {"Echo", "", "/a/echo.so", "Echo (/a/echo.so)"},
        {"Echo", "", "/b/echo.so", "Echo (/b/echo.so)"},
        // No name: the file name.
        {"", "Something", "/v/noname.so", "noname"},
    };
    std::vector<PluginInfo> catalogue;
    for (const Row& row : rows) {
        catalogue.push_back(Entry(row.name, row.product, row.path));
    }
    const std::vector<std::string> shown = catalog_names::ShownNames(catalogue);
    ASSERT_EQ(shown.size(), std::size(rows));
    for (size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i], rows[i].shown) << rows[i].path;
    }
}

TEST(CatalogNames, AFailedLibraryDoesNotRenameAUsableOne) {
    std::vector<PluginInfo> catalogue = {Entry("Gain", "", "/a/gain.so"),
                                         Entry("", "", "/b/Gain.so")};
    catalogue[1].ok = false;
    EXPECT_EQ(catalog_names::ShownNames(catalogue),
              (std::vector<std::string>{"Gain", "Gain (Gain.so)"}));
}

TEST(CatalogNames, EffectIsFoundByItsShownName) {
    const std::string lsp = "/usr/lib/vst/lsp-plugins/";
    std::vector<PluginInfo> catalogue = {
        Entry("Sidechain Multiband Compressor ", "LSP Sidechain Multiband Compressor Mono x8 [VST]",
              lsp + "sc-mb-compressor-mono.so"),
        Entry("Sidechain Multiband Compressor ",
              "LSP Sidechain Multiband Compressor Stereo x8 [VST]",
              lsp + "sc-mb-compressor-stereo.so"),
        Entry("Echo", "", "/a/echo.so"),
        Entry("echo", "", "/b/echo.so"),
        Entry("Kars", "Kars", "/usr/lib/vst/Kars-vst.so", "falkTX", kSynth, 0),
        Entry("Broken", "", "/a/broken.so"),
        Entry("Tape", "", "/a/tape.so"),
    };
    catalogue[5].ok = false;
    catalogue[5].failure = "wrong magic";
    const struct {
        const char* name;
        const char* library;  // empty: refused
        const char* error;
    } cases[] = {
        {"Sidechain Multiband Compressor Stereo x8", "sc-mb-compressor-stereo.so", ""},
        {"sidechain multiband compressor mono x8", "sc-mb-compressor-mono.so", ""},
        {"Echo (/b/echo.so)", "/b/echo.so", ""},
        {"TAPE", "/a/tape.so", ""},
        {"Sidechain Multiband Compressor", "", "no plug-in has this name"},
        {"Echo", "", "no plug-in has this name"},
        {"Kars", "", "is an instrument"},
        {"Broken", "", "failed its examination: wrong magic"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        const std::string library = catalog_names::EffectLibraryNamed(catalogue, c.name, error);
        if (*c.library == '\0') {
            EXPECT_EQ(library, "");
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
        } else {
            EXPECT_TRUE(library.ends_with(c.library)) << library;
            EXPECT_EQ(error, "");
        }
    }
}

TEST(CatalogNames, VendorsAreGroupedAsTheirMakersAreKnown) {
    const struct {
        const char* vendor;
        const char* group;
    } rows[] = {
        {"DISTRHO", "DISTRHO"},
        {"falkTX", "DISTRHO"},
        {"Martin Eastwood, falkTX", "DISTRHO"},
        {"Sean Bolton, falkTX", "DISTRHO"},
        {"ndc Plugs", "ndc Plugs"},
        {"Damien Zammit", "Damien Zammit"},
        {"Michael Willis", "Michael Willis"},
        {"Michael Willis and Rob vd Berg", "Michael Willis"},
        {"Ann & michael willis", "Michael Willis"},
        {"Jane Roe, John Doe", "Jane Roe, John Doe"},  // neither has a group of its own
        {"LSP VST", "LSP VST"},
        {"", "Other"},
    };
    std::vector<PluginInfo> catalogue;
    for (const auto& row : rows) {
        catalogue.push_back(Entry("X", "", "/x.so", row.vendor));
    }
    const std::vector<std::string> groups = catalog_names::MakerGroups(catalogue);
    for (size_t i = 0; i < groups.size(); ++i) {
        EXPECT_EQ(groups[i], rows[i].group) << rows[i].vendor;
    }
    // Without DISTRHO in the catalogue, falkTX is a group of its own.
    EXPECT_EQ(catalog_names::MakerGroups({Entry("K", "", "/k.so", "falkTX"),
                                          Entry("M", "", "/m.so", "Martin Eastwood, falkTX")}),
              (std::vector<std::string>{"falkTX", "falkTX"}));
}

TEST(CatalogNames, MenuListsEffectsByGroupAndSplitsLargeGroupsByCategory) {
    // Group "Big" has four usable effects over a limit of three: it is split by category.
    std::vector<PluginInfo> catalogue = {
        Entry("Meter", "", "/b/meter.so", "Big", kAnalysis),
        Entry("Limiter", "", "/b/limiter.so", "Big", kMastering),
        Entry("Comp", "", "/b/comp.so", "Big", kMastering),
        Entry("Eq", "", "/b/eq.so", "Big", kEffect),
        Entry("Sampler", "", "/b/sampler.so", "Big", kSynth),    // instrument: left out
        Entry("Organ", "", "/s/organ.so", "Small", kEffect, 0),  // no input: left out
        Entry("Delay", "", "/s/delay.so", "Small"),
        Entry("Unnamed", "", "/o/unnamed.so", ""),
        Entry("Failed", "", "/s/failed.so", "Small"),
        Entry("Amp", "", "/s/amp.so", "small"),
    };
    catalogue[8].ok = false;
    std::vector<std::string> lines;
    for (const catalog_names::MenuItem& item : catalog_names::MenuItems(catalogue, 3)) {
        lines.push_back(item.group + " > " + (item.section.empty() ? "" : item.section + " > ") +
                        item.name + " #" + std::to_string(item.index));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Big > Analysis > Meter #0",
                         "Big > Effect > Eq #3",
                         "Big > Mastering > Comp #2",
                         "Big > Mastering > Limiter #1",
                         "Small > Amp #9",
                         "Small > Delay #6",
                         "Other > Unnamed #7",
                     }));
}

}  // namespace
