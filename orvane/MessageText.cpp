#include "orvane/MessageText.hpp"

#include <cstdio>

namespace orvane {

std::string escapedForMessage(std::string_view text, std::size_t maxBytes) {
    std::size_t end = text.size();
    if (end > maxBytes) {
        end = maxBytes;
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            --end; // a continuation byte: the cut goes before its sequence
    }
    std::string out;
    out.reserve(end + 3);
    for (std::size_t i = 0; i < end; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (c < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            out += escape;
        } else
            out += char(c);
    }
    if (end < text.size())
        out += "...";
    return out;
}

} // namespace orvane
