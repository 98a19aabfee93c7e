#pragma once

#include <string>

// The regular expression that matches `text` literally, for EXPECT_DEATH on messages that hold
// brackets, dots or other pattern characters.
inline std::string literally(const std::string& text) {
    std::string pattern;
    for (char c : text) {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos)
            pattern += '\\';
        pattern += c;
    }
    return pattern;
}

// What a fatal assertion of the framework prints for a failed condition.
inline std::string fatalAssertion(const std::string& condition) {
    return literally("fatal assertion failed: " + condition + " (");
}
