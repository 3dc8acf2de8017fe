#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

/// Bytes as base64 text (the standard alphabet, '=' padding, no line breaks), for keeping
/// binary values such as an effect's settings inside text files.
///
///     const std::string text = platform::Base64Encode(bytes);
///     std::optional<std::string> back = platform::Base64Decode(text);  // == bytes
std::string Base64Encode(std::string_view bytes);

/// The bytes of base64 text as Base64Encode writes it; nullopt for anything else (a character
/// outside the alphabet, a length that is not a multiple of four, misplaced padding, unused
/// bits that are not zero).
std::optional<std::string> Base64Decode(std::string_view text);

}  // namespace platform
