#pragma once

#include <cstdint>

/// What this host tells plug-ins about itself, in Orvane and in orvane-fx alike.
namespace host_identity {

/// UTF-8 ("ł" is C5 82); copied to plug-ins with the terminator.
inline constexpr char kVendor[] =
    "Kalvoro \xC5\x82"
    "ejw editor";
inline constexpr char kProduct[] =
    "Kalvoro soft\xC5\x82"
    "er";
inline constexpr intptr_t kHostVersion = 2;
inline constexpr intptr_t kEffectId = 0x4B555041;
inline constexpr intptr_t kVendorVersion = 1;
inline constexpr intptr_t kLanguage = 1;

}  // namespace host_identity
