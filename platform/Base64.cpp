#include "platform/Base64.h"

#include <algorithm>
#include <cstdint>

namespace platform {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

/// The six bits a character stands for, or -1 outside the alphabet.
int SextetOf(char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    if (c == '+') {
        return 62;
    }
    return c == '/' ? 63 : -1;
}

}  // namespace

std::string Base64Encode(std::string_view bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t count = std::min<size_t>(3, bytes.size() - i);
        uint32_t group = 0;
        for (size_t k = 0; k < 3; ++k) {
            group = (group << 8) | (k < count ? static_cast<uint8_t>(bytes[i + k]) : 0u);
        }
        for (size_t k = 0; k < 4; ++k) {
            text += k <= count ? kAlphabet[(group >> (18 - 6 * k)) & 63] : '=';
        }
    }
    return text;
}

std::optional<std::string> Base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        // Padding only at the very end, and only in the last one or two places.
        size_t padding = 0;
        while (padding < 2 && text[i + 3 - padding] == '=') {
            ++padding;
        }
        if (padding > 0 && !last) {
            return std::nullopt;
        }
        uint32_t group = 0;
        for (size_t k = 0; k < 4; ++k) {
            const int sextet = k < 4 - padding ? SextetOf(text[i + k]) : 0;
            if (sextet < 0) {
                return std::nullopt;
            }
            group = (group << 6) | static_cast<uint32_t>(sextet);
        }
        // Bits the padding leaves unused are zero in what Base64Encode writes; anything else
        // is damage, not another spelling of the same bytes.
        const uint32_t unused = padding == 0 ? 0 : (1u << (8 * padding)) - 1;
        if ((group & unused) != 0) {
            return std::nullopt;
        }
        for (size_t k = 0; k < 3 - padding; ++k) {
            bytes += static_cast<char>((group >> (16 - 8 * k)) & 0xFF);
        }
    }
    return bytes;
}

}  // namespace platform
