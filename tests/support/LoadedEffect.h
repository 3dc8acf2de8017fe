#pragma once

#include "plugins/EffectSlot.h"

/// The effect of a slot the host just added, or nullptr when it added none.
inline vst::AEffect* EffectOf(EffectSlot* slot) {
    return slot != nullptr ? slot->Effect() : nullptr;
}
