#include "session/ChainRecords.h"

#include "plugins/EffectState.h"
#include "plugins/PluginHost.h"
#include "session/EffectLibraryLookup.h"

namespace chain_records {

std::vector<EffectRecord> Capture(const EffectChain& chain, std::vector<std::string>* problems) {
    std::vector<EffectRecord> records;
    for (size_t i = 0; i < chain.Size(); ++i) {
        EffectSlot& slot = chain.At(i);
        EffectRecord record;
        record.libraryPath = slot.Path();
        record.uniqueId = slot.UniqueId();
        record.name = slot.Name();
        record.bypassed = slot.Bypassed();
        std::string why;
        if (slot.Fault() != EffectFault::None) {
            // The effect is gone with its process: what was last read from it is kept.
            record.state = slot.KeptState();
        } else if (const std::optional<EffectState> state = EffectState::Read(slot.Effect(), why)) {
            const std::string bytes = state->Encode();
            record.state.assign(bytes.begin(), bytes.end());
            slot.KeepState(record.state);
        } else if (problems != nullptr) {
            problems->push_back(slot.Name() + ": its settings could not be read: " + why);
        }
        records.push_back(std::move(record));
    }
    return records;
}

bool Rebuild(PluginHost& host, const std::vector<EffectRecord>& records,
             const std::vector<PluginInfo>& catalogue, std::vector<std::string>& problems) {
    bool all = true;
    for (const EffectRecord& record : records) {
        const EffectLibraryChoice choice = FindEffectLibrary(record, catalogue);
        if (choice.path.empty()) {
            problems.push_back(choice.problem);
            all = false;
            continue;
        }
        std::unique_ptr<EffectSlot> slot = host.LoadEffect(choice.path);
        if (slot == nullptr) {
            problems.push_back(record.name + ": " + host.LastLoadError());
            all = false;
            continue;
        }
        if (!record.state.empty()) {
            std::string why;
            const std::string bytes(record.state.begin(), record.state.end());
            const std::optional<EffectState> state = EffectState::Decode(bytes, why);
            if (!state.has_value() || !state->ApplyTo(slot->Effect(), slot->Name(), why)) {
                // Kept with its defaults rather than lost: the user hears and sees it.
                problems.push_back(record.name + ": its settings could not be restored: " + why);
                all = false;
            }
        }
        slot->SetBypassed(record.bypassed);
        host.Chain().Add(std::move(slot));
    }
    return all;
}

}  // namespace chain_records
