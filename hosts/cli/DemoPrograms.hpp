#pragma once
// The settings `quorvel demo` renders each program with: chosen from the program's own
// parameters (and the global gain and mix) so that its character shows on the built-in sound,
// in sound and in the spectrogram. The programs' defaults stay as they are.

#include "hosts/cli/Args.hpp"

#include <string>

namespace quorvel::cli {

struct DemoProgram {
    SessionOptions options; // the program and its settings, as `render` would take them
    std::string note;       // what to listen and look for, one or two sentences
};

// The demo settings of the program with this preset number.
DemoProgram demoProgram(unsigned int presetNumber);

// The settings as a `quorvel render` command line would give them ("" when there are none).
std::string demoArguments(const SessionOptions& options);

} // namespace quorvel::cli
