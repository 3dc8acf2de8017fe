#pragma once

#include <string>
#include <vector>

#include "plugins/PluginInfo.h"
#include "session/EffectRecord.h"

class EffectChain;
class PluginHost;

/// The effect chain as sessions and recovery copies keep it, and the chain rebuilt from it.
///
///     std::vector<EffectRecord> kept = chain_records::Capture(host.Chain());
///     session.Save(path, kept, error);
///     ...
///     std::vector<std::string> problems;
///     chain_records::Rebuild(host, session.Effects(), host.Catalog(), problems);
namespace chain_records {

/// Each effect of the chain in order: its library, id, shown name, bypass, and its settings
/// (EffectState, encoded), which each slot keeps too (EffectSlot::KeepState). A faulted effect
/// is recorded with the settings its slot kept. An effect whose settings cannot be read is
/// kept without them and named in `problems` when given.
std::vector<EffectRecord> Capture(const EffectChain& chain,
                                  std::vector<std::string>* problems = nullptr);

/// Appends to the host's chain, in order, each recorded effect: its library found among
/// `catalogue` (by path, else by its unique id), loaded, given its settings and bypass before
/// any block reaches it. An effect that cannot come back is left out and named, with the
/// reason, in `problems`; the others are kept. True when every one came back.
bool Rebuild(PluginHost& host, const std::vector<EffectRecord>& records,
             const std::vector<PluginInfo>& catalogue, std::vector<std::string>& problems);

}  // namespace chain_records
