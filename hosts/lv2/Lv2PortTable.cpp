#include "hosts/lv2/Lv2PortTable.hpp"

#include "Quorvel/QuorvelAudio.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace Lv2PortTable {

std::string symbolOf(const std::string& text) {
    std::string symbol;
    bool gap = false;
    for (unsigned char c : text) {
        if (std::isalnum(c)) {
            if (gap && !symbol.empty())
                symbol += '_';
            symbol += char(std::tolower(c));
            gap = false;
        } else {
            gap = true;
        }
    }
    if (symbol.empty() || std::isdigit(static_cast<unsigned char>(symbol[0])))
        symbol.insert(0, "p_");
    return symbol;
}

orvane::AnyValue documentValue(const ParameterDescription& p, float value) {
    value = std::clamp(value, p.minValue, p.maxValue);
    switch (p.type) {
    case orvane::AnyValue::Int:
        return orvane::AnyValue(int(std::lround(value)));
    case orvane::AnyValue::Bool:
        return orvane::AnyValue(value > 0.5f);
    default:
        return orvane::AnyValue(value);
    }
}

float portValue(const orvane::AnyValue& value) {
    return QuorvelAudio::DocumentToDspConverter(value);
}

namespace {

Port audioPort(unsigned int index, PortKind kind, unsigned int channel, unsigned int channels) {
    const bool in = kind == PortKind::AudioIn;
    std::string symbol = in ? "in" : "out";
    std::string name = in ? "In" : "Out";
    if (channels == 2) {
        symbol += channel == 0 ? "_l" : "_r";
        name += channel == 0 ? " L" : " R";
    }
    return {index, kind, PortRole::Audio, symbol, name, nullptr, nullptr, nullptr, 0, 0, 0};
}

Port documentPort(unsigned int index, const ParameterDescription& p, const std::string& symbol,
                  const ProgramDescription* program, const ProgramParameterDescription* row) {
    return {index, PortKind::ControlIn, PortRole::Document, symbol,        p.name, &p, program,
            row,   p.minValue,          p.maxValue,         p.defaultValue};
}

} // namespace

std::vector<Port> ports(unsigned int channels) {
    std::vector<Port> list;
    for (unsigned int c = 0; c < channels; ++c)
        list.push_back(audioPort(unsigned(list.size()), PortKind::AudioIn, c, channels));
    for (unsigned int c = 0; c < channels; ++c)
        list.push_back(audioPort(unsigned(list.size()), PortKind::AudioOut, c, channels));

    const float lastProgram = float(ProgramTable::kProgramCount - 1);
    list.push_back({unsigned(list.size()), PortKind::ControlIn, PortRole::Program, "program",
                    "Program", nullptr, nullptr, nullptr, 0.0f, lastProgram, 0.0f});
    list.push_back(documentPort(unsigned(list.size()), ParametersGlobal[ParameterIndex::Gain],
                                "gain", nullptr, nullptr));
    list.push_back(documentPort(unsigned(list.size()), ParametersGlobal[ParameterIndex::DryWet],
                                "dry_wet", nullptr, nullptr));
    list.push_back({unsigned(list.size()), PortKind::ControlOut, PortRole::Latency, "latency",
                    "Latency", nullptr, nullptr, nullptr, 0.0f, 8192.0f, 0.0f});
    list.push_back({unsigned(list.size()), PortKind::ControlOut, PortRole::Clip, "clip", "Clip",
                    nullptr, nullptr, nullptr, 0.0f, 1.0f, 0.0f});

    for (const ProgramDescription* program : ProgramTable::kPrograms)
        for (const ProgramParameterDescription& row : *program) {
            if ((row.parameter.flags & 1u) == 0)
                continue; // not automatable: the program text still carries it
            const std::string symbol =
                symbolOf(program->dspClassName) + "_" + symbolOf(row.parameter.name);
            list.push_back(
                documentPort(unsigned(list.size()), row.parameter, symbol, program, &row));
        }
    return list;
}

} // namespace Lv2PortTable
