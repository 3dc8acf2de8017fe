// The catalogue as the user sees it: names nobody else has, maker groups, the menu's layout and
// the lookup --effect does. Rows as Debian's plug-in suites report themselves.

#include "plugins/CatalogNames.h"

#include <gtest/gtest.h>

namespace {

PluginInfo Entry(const std::string& name, const std::string& path, const std::string& product = "",
                 const std::string& vendor = "V", int32_t category = 1, int32_t inputs = 2) {
    PluginInfo info;
    info.ok = true;
    info.name = name;
    info.product = product;
    info.path = path;
    info.vendor = vendor;
    info.category = category;
    info.inputs = inputs;
    return info;
}

TEST(CatalogNames, NamesAreCompletedAndToldApart) {
    const struct {
        PluginInfo entry;
        const char* shown;
    } rows[] = {
        // Cut at 31 bytes: the whole name is in the product, after "LSP " and before " [VST]".
        {Entry("Sidechain Multiband Compressor ", "/lsp/sc-mb-compressor-mono.so",
               "LSP Sidechain Multiband Compressor Mono x8 [VST]"),
         "Sidechain Multiband Compressor Mono x8"},
        {Entry("Sidechain Multiband Dynamic Pro", "/lsp/sc-mb-dyna-processor-lr.so",
               "LSP Sidechain Multiband Dynamic Processor LeftRight x8 [VST]"),
         "Sidechain Multiband Dynamic Processor LeftRight x8"},
        {Entry("Gate Stereo", "/lsp/gate-stereo.so", "LSP Gate Stereo [VST]"), "Gate Stereo"},
        {Entry("Hall  ", "/v/hall.so"), "Hall"},
        {Entry("Big Room", "/v/room.so", "Big Room Reverb"), "Big Room Reverb"},
        {Entry("ZynChorus", "/v/ZynChorus.so", "Chorus"), "ZynChorus"},
        // 31 bytes and a product that does not hold them: the longer product.
        {Entry("Multiband Dynamic Processor Ste", "/v/mdp.so",
               "Multiband Dynamics, Stereo Edition"),
         "Multiband Dynamics, Stereo Edition"},
        // The same name in any case: the file name, or the path where those match too.
        {Entry("Compressor", "/a/comp-one.so"), "Compressor (comp-one.so)"},
        {Entry("COMPRESSOR ", "/a/comp-two.so"), "COMPRESSOR (comp-two.so)"},
        {Entry("Echo", "/a/echo.so"), "Echo (/a/echo.so)"},
        {Entry("Echo", "/b/echo.so"), "Echo (/b/echo.so)"},
        {Entry("", "/v/noname.so", "Something"), "noname"},
    };
    std::vector<PluginInfo> catalogue;
    for (const auto& row : rows) {
        catalogue.push_back(row.entry);
    }
    const std::vector<std::string> shown = catalog_names::ShownNames(catalogue);
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(shown.at(i), rows[i].shown) << rows[i].entry.path;
    }
}

TEST(CatalogNames, EffectIsFoundByItsShownName) {
    std::vector<PluginInfo> catalogue = {
        Entry("Sidechain Multiband Compressor ", "/lsp/sc-mb-compressor-mono.so",
              "LSP Sidechain Multiband Compressor Mono x8 [VST]"),
        Entry("Sidechain Multiband Compressor ", "/lsp/sc-mb-compressor-stereo.so",
              "LSP Sidechain Multiband Compressor Stereo x8 [VST]"),
        Entry("Echo", "/a/echo.so"),
        Entry("echo", "/b/echo.so"),
        Entry("Kars", "/v/Kars-vst.so", "Kars", "falkTX", 2, 0),
        Entry("Gain", "/a/gain.so"),
        Entry("", "/b/Gain.so"),  // failed: it must not rename the usable Gain
    };
    catalogue[6].ok = false;
    catalogue[6].failure = "wrong magic";
    const struct {
        const char* name;
        const char* result;  // the library, or the error's end
    } cases[] = {
        {"Sidechain Multiband Compressor Stereo x8", "/lsp/sc-mb-compressor-stereo.so"},
        {"sidechain multiband compressor mono x8", "/lsp/sc-mb-compressor-mono.so"},
        {"Echo (/b/echo.so)", "/b/echo.so"},
        {"GAIN", "/a/gain.so"},
        {"Sidechain Multiband Compressor",
         "no plug-in has this name (orvane --list-plugins lists them)"},
        {"Echo", "no plug-in has this name (orvane --list-plugins lists them)"},
        {"Kars", "is an instrument (no audio input), not an effect"},
        {"Gain (Gain.so)", "failed its examination: wrong magic"},
    };
    for (const auto& c : cases) {
        std::string error;
        const std::string library = catalog_names::EffectLibraryNamed(catalogue, c.name, error);
        EXPECT_TRUE((library + error).ends_with(c.result)) << c.name << ": " << library << error;
        EXPECT_TRUE(library.empty() != error.empty()) << c.name;
    }
}

TEST(CatalogNames, VendorsAreGroupedAsTheirMakersAreKnown) {
    const std::pair<const char*, const char*> rows[] = {
        {"DISTRHO", "DISTRHO"},
        {"Martin Eastwood, falkTX", "DISTRHO"},
        {"falkTX", "DISTRHO"},
        {"Damien Zammit", "Damien Zammit"},
        {"Michael Willis and Rob vd Berg", "Michael Willis"},
        {"Ann & michael willis", "Michael Willis"},
        {"Michael Willis", "Michael Willis"},
        {"Jane Roe, John Doe", "Jane Roe, John Doe"},  // neither has a group of its own
        {"", "Other"},
    };
    std::vector<PluginInfo> catalogue;
    for (const auto& [vendor, group] : rows) {
        catalogue.push_back(Entry("X", "/x.so", "", vendor));
    }
    const std::vector<std::string> groups = catalog_names::MakerGroups(catalogue);
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(groups.at(i), rows[i].second) << rows[i].first;
    }
    // Without DISTRHO, falkTX is a group of its own.
    EXPECT_EQ(catalog_names::MakerGroups({Entry("M", "/m.so", "", "Martin Eastwood, falkTX"),
                                          Entry("K", "/k.so", "", "falkTX")}),
              (std::vector<std::string>{"falkTX", "falkTX"}));
}

TEST(CatalogNames, MenuListsEffectsByGroupAndSplitsLargeOnes) {
    // Over a limit of three: "Big" is split by category, and its Mastering by first word.
    std::vector<PluginInfo> catalogue = {
        Entry("Meter", "/b/meter.so", "", "Big", 3),
        Entry("Limiter", "/b/limiter.so", "", "Big", 4),
        Entry("Comp Stereo", "/b/comp2.so", "", "Big", 4),
        Entry("Gate", "/b/gate.so", "", "Big", 4),
        Entry("Comp Mono", "/b/comp.so", "", "Big", 4),
        Entry("Eq", "/b/eq.so", "", "Big", 1),
        Entry("Sampler", "/b/sampler.so", "", "Big", 2),   // a synth: left out
        Entry("Organ", "/s/organ.so", "", "Small", 1, 0),  // no input: left out
        Entry("Delay", "/s/delay.so", "", "Small"),
        Entry("Unnamed", "/o/unnamed.so", "", ""),
        Entry("Failed", "/s/failed.so", "", "Small"),
        Entry("Amp", "/s/amp.so", "", "small"),
    };
    catalogue[10].ok = false;
    std::vector<std::string> lines;
    for (const catalog_names::MenuItem& item : catalog_names::MenuItems(catalogue, 3)) {
        lines.push_back(item.group + ">" + item.section + ">" + item.word + ">" + item.name +
                        std::to_string(item.index));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Big>Analysis>>Meter0", "Big>Effect>>Eq5", "Big>Mastering>Comp>Comp Mono4",
                         "Big>Mastering>Comp>Comp Stereo2", "Big>Mastering>Gate>Gate3",
                         "Big>Mastering>Limiter>Limiter1", "Small>>>Amp11", "Small>>>Delay8",
                         "Other>>>Unnamed9"}));
}

}  // namespace
