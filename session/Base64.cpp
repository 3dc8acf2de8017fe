#include "session/Base64.h"

#include <algorithm>
#include <array>
#include <utility>

namespace base64 {
namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The value of each character of the alphabet; -1 for any other.
constexpr std::array<int8_t, 256> kValues = [] {
    std::array<int8_t, 256> values{};
    values.fill(-1);
    for (size_t i = 0; i < kAlphabet.size(); ++i) {
        values[static_cast<uint8_t>(kAlphabet[i])] = static_cast<int8_t>(i);
    }
    return values;
}();

}  // namespace

std::string Encode(const std::vector<uint8_t>& bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t at = 0; at < bytes.size(); at += 3) {
        const size_t count = std::min<size_t>(3, bytes.size() - at);
        uint32_t group = uint32_t{bytes[at]} << 16;
        if (count > 1) {
            group |= uint32_t{bytes[at + 1]} << 8;
        }
        if (count > 2) {
            group |= bytes[at + 2];
        }
        // count bytes fill count + 1 characters; `=` pads the group to four.
        for (size_t i = 0; i < 4; ++i) {
            text += i <= count ? kAlphabet[(group >> (18 - 6 * i)) & 0x3F] : '=';
        }
    }
    return text;
}

bool Decode(std::string_view text, std::vector<uint8_t>& bytes) {
    if (text.size() % 4 != 0) {
        return false;
    }
    std::vector<uint8_t> decoded;
    decoded.reserve(text.size() / 4 * 3);
    for (size_t at = 0; at < text.size(); at += 4) {
        const bool last = at + 4 == text.size();
        // Only the last group may be padded, by one or two `=` at its end.
        size_t padding = 0;
        while (last && padding < 2 && text[at + 3 - padding] == '=') {
            ++padding;
        }
        uint32_t group = 0;
        for (size_t i = 0; i < 4 - padding; ++i) {
            const int8_t value = kValues[static_cast<uint8_t>(text[at + i])];
            if (value < 0) {
                return false;
            }
            group |= static_cast<uint32_t>(value) << (18 - 6 * i);
        }
        const size_t count = 3 - padding;
        // Bits past the last byte are zero in what Encode writes; others would be lost.
        if ((group & (0xFFFFFFu >> (8 * count))) != 0) {
            return false;
        }
        for (size_t i = 0; i < count; ++i) {
            decoded.push_back(static_cast<uint8_t>(group >> (16 - 8 * i)));
        }
    }
    bytes = std::move(decoded);
    return true;
}

}  // namespace base64
