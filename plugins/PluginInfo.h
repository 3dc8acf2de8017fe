#pragma once

#include <cstdint>
#include <string>

/// One plug-in library as the catalogue knows it: where it is, whether it passed its
/// examination (and why not), and the identity its effect reported. Texts are kept whole, as
/// the plug-in wrote them (UTF-8 as a rule).
struct PluginInfo {
    std::string path;      // the library's real path
    uint64_t size = 0;     // with `modified`, what tells the cache that the file changed
    int64_t modified = 0;  // nanoseconds since the epoch
    bool ok = false;       // passed its examination; only such libraries are ever loaded
    std::string failure;   // why it did not, in words for the user

    std::string name;  // the effect's name; empty when it gave none
    std::string vendor;
    std::string product;
    int32_t category = 0;  // the effect's own category number
    int32_t version = 0;
    int32_t uniqueId = 0;
    int32_t inputs = 0;
    int32_t outputs = 0;
    int32_t parameters = 0;
    bool hasEditor = false;
    /// The library runs inside Orvane, as in the days before effects had processes of their
    /// own: for the rare plug-in that cannot work in a child process. Its faults are Orvane's.
    bool runInProcess = false;

    /// The effect's name without trailing spaces, or the file name without ".so" when it gave
    /// none. A name that looks cut by the 31 bytes a plug-in may write for it (31 bytes long,
    /// or the start of a longer product string) is taken whole from the product string, from
    /// where the name begins and without a trailing tag in square brackets:
    /// "Sidechain Multiband Compressor " with the product
    /// "LSP Sidechain Multiband Compressor Mono x8 [VST]" reads
    /// "Sidechain Multiband Compressor Mono x8". Names two entries share are told apart by
    /// catalog_names::ShownNames.
    std::string DisplayName() const;
    /// The vendor, or "Other" for a plug-in without one.
    std::string VendorGroup() const;
    /// An instrument makes sound of its own: it has no audio input, or says it is a synth. The
    /// editor has no use for one, since every effect here works on the file's audio.
    bool IsInstrument() const;
    /// The folder that holds the library.
    std::string Folder() const;
    /// The category in words ("Effect", "Room", ...).
    std::string CategoryText() const;
    /// Inputs and outputs as "2/2".
    std::string ChannelText() const;
};
