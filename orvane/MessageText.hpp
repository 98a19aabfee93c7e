#pragma once
// Text from outside (a file, a host, a command line) shown inside a one-line message.

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane {

// `text` with every control character shown as an escape ("\n", "\t", "\x1b"...) instead of
// breaking the line or driving the terminal. A text longer than `maxBytes` is cut there (never
// inside a UTF-8 sequence) and "..." follows it.
std::string escapedForMessage(std::string_view text, std::size_t maxBytes = std::string::npos);

} // namespace orvane
