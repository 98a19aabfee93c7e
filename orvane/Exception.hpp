#pragma once

#include <stdexcept>
#include <string>

namespace orvane {

// The exception the framework throws for conversions of a type they do not handle ("Bad type!")
// and for a parameter built from an undefined description. `what()` is the text alone.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& text) : std::runtime_error(text) {}
};

} // namespace orvane
