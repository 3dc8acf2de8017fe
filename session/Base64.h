#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// Bytes as text for a line of Orvane's own files, in the standard base64 alphabet with `=`
/// padding, so that any byte string stays on one line with no spaces in it.
///
///     base64::Encode({0xFF}) == "/w==";
namespace base64 {

/// The text of `bytes`; "" for none.
std::string Encode(const std::vector<uint8_t>& bytes);

/// The bytes Encode made of `text`. False for anything Encode never writes: another
/// character, a length that is not a multiple of four, padding in the middle, or unused bits
/// that are not zero.
bool Decode(std::string_view text, std::vector<uint8_t>& bytes);

}  // namespace base64
