#pragma once

// The ports of the two plug-ins of the bundle, derived from the program table, so that the
// Turtle files, the plug-in binary and the document cannot disagree.
//
// Order (port indices): the audio inputs, the audio outputs, then "Program", "Gain",
// "Dry/Wet", the latency output, the clip output, then one control input per automatable
// document parameter of every program, programs in preset order and parameters in the order
// their program lists them. New ports may only ever be appended, so that hosts' saved
// sessions keep addressing the same ports.

#include "Quorvel/ProgramParameters/ProgramTable.hpp"

#include <string>
#include <vector>

namespace Lv2PortTable {

enum class PortKind { AudioIn, AudioOut, ControlIn, ControlOut };

// What a control port stands for.
enum class PortRole {
    Audio,
    Program,  // the current program's preset number
    Document, // a document parameter (Gain, Dry/Wet or a program parameter)
    Latency,  // output: the current delay in samples
    Clip      // output: 1 while the output clipped recently
};

struct Port {
    unsigned int index;
    PortKind kind;
    PortRole role;
    std::string symbol; // unique in the plug-in, a C identifier, stable across versions
    std::string name;   // as the program shows it
    const ParameterDescription* parameter;  // for PortRole::Document, else nullptr
    const ProgramDescription* program;      // the program a parameter port belongs to, or nullptr
    const ProgramParameterDescription* row; // its program row, or nullptr (Gain, Dry/Wet)
    float minValue;
    float maxValue;
    float defaultValue;
};

// Ports before the control block: one input and one output per channel.
constexpr unsigned int audioPortCount(unsigned int channels) {
    return 2 * channels;
}
constexpr unsigned int programPort(unsigned int channels) {
    return audioPortCount(channels);
}
constexpr unsigned int gainPort(unsigned int channels) {
    return audioPortCount(channels) + 1;
}
constexpr unsigned int dryWetPort(unsigned int channels) {
    return audioPortCount(channels) + 2;
}
constexpr unsigned int latencyPort(unsigned int channels) {
    return audioPortCount(channels) + 3;
}
constexpr unsigned int clipPort(unsigned int channels) {
    return audioPortCount(channels) + 4;
}
constexpr unsigned int firstParameterPort(unsigned int channels) {
    return audioPortCount(channels) + 5;
}

// Every port of the plug-in with `channels` (1 or 2) inputs and outputs, in index order.
std::vector<Port> ports(unsigned int channels);

// A lower-case C identifier made of the letters and digits of `text`, words joined by '_'
// ("LoDelay [ms]" gives "lodelay_ms").
std::string symbolOf(const std::string& text);

// A port value as the parameter takes it: clamped into its range, whole for an integer, 0 or 1
// for a switch.
orvane::AnyValue documentValue(const ParameterDescription& parameter, float value);
// The port value of a document value: a float as it is, an integer as a number, a switch 1 or 0.
float portValue(const orvane::AnyValue& value);

// The plug-in URIs.
constexpr const char* kMonoUri = "urn:quorvel:lv2:mono";
constexpr const char* kStereoUri = "urn:quorvel:lv2:stereo";
// The editor of both plug-ins.
constexpr const char* kUiUri = "urn:quorvel:lv2:ui";
// The state key under which the program text is saved.
constexpr const char* kStateKey = "urn:quorvel:lv2:programText";

} // namespace Lv2PortTable
