#pragma once

// A fuzz input read as a script: bytes, little-endian words, floats of any bit pattern and
// runs of raw text; reading past the end gives zeros and empty text.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

struct FuzzScript {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    bool more() const { return pos < size; }
    uint8_t byte() { return pos < size ? data[pos++] : 0; }
    uint32_t word() {
        return uint32_t(byte()) | uint32_t(byte()) << 8 | uint32_t(byte()) << 16 |
               uint32_t(byte()) << 24;
    }
    float anyFloat() {
        const uint32_t bits = word();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    // Up to 4 KB of raw bytes.
    std::string text() {
        const size_t n = std::min<size_t>(word() % 4096, size - pos);
        std::string t(reinterpret_cast<const char*>(data + pos), n);
        pos += n;
        return t;
    }
};
