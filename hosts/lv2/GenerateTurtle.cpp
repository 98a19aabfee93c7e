// Writes the bundle's Turtle files (manifest.ttl, quorvel.ttl, presets.ttl) into the directory
// given as the first argument, from the port table; the second argument is the binary's file
// name, the optional third the editor's binary, which both plug-ins then name as their UI. Run at
// build time, so the metadata always describes the binary built beside it.

#include "hosts/lv2/Lv2PortTable.hpp"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

namespace {

using namespace Lv2PortTable;

const char* kPrefixes = "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
                        "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
                        "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                        "@prefix pg: <http://lv2plug.in/ns/ext/port-groups#> .\n"
                        "@prefix pprop: <http://lv2plug.in/ns/ext/port-props#> .\n"
                        "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                        "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                        "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                        "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                        "@prefix work: <http://lv2plug.in/ns/ext/worker#> .\n"
                        "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n"
                        "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
                        "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n\n";

struct Plugin {
    const char* uri;
    const char* name;
    unsigned int channels;
};
const Plugin kPlugins[] = {{kMonoUri, "Quorvel (mono)", 1}, {kStereoUri, "Quorvel", 2}};

// A Turtle string literal.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

// A float literal Turtle reads as a decimal.
std::string number(float value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", double(value));
    std::string text = buffer;
    if (text.find_first_of(".e") == std::string::npos)
        text += ".0";
    else if (text.find('e') != std::string::npos)
        text = std::to_string(double(value));
    return text;
}

std::string groupUri(const Plugin& plugin, const ProgramDescription& program) {
    return std::string(plugin.uri) + ":group:" + symbolOf(program.dspClassName);
}

const char* unitOf(ParameterUnit unit) {
    switch (unit) {
    case ParameterUnit::Hertz:
        return "units:hz";
    case ParameterUnit::Decibel:
        return "units:db";
    case ParameterUnit::Millisecond:
        return "units:ms";
    case ParameterUnit::Second:
        return "units:s";
    case ParameterUnit::Percent:
        return "units:pc";
    case ParameterUnit::Semitone:
        return "units:semitone12TET";
    case ParameterUnit::None:
        break;
    }
    return nullptr;
}

void writePort(std::ostream& out, const Plugin& plugin, const Port& port, bool last) {
    out << "    [\n        a lv2:";
    switch (port.kind) {
    case PortKind::AudioIn:
        out << "AudioPort , lv2:InputPort";
        break;
    case PortKind::AudioOut:
        out << "AudioPort , lv2:OutputPort";
        break;
    case PortKind::ControlIn:
        out << "ControlPort , lv2:InputPort";
        break;
    case PortKind::ControlOut:
        out << "ControlPort , lv2:OutputPort";
        break;
    }
    out << " ;\n        lv2:index " << port.index << " ;\n        lv2:symbol "
        << quoted(port.symbol) << " ;\n        lv2:name " << quoted(port.name);
    if (port.kind != PortKind::AudioIn && port.kind != PortKind::AudioOut)
        out << " ;\n        lv2:default " << number(port.defaultValue) << " ;\n        lv2:minimum "
            << number(port.minValue) << " ;\n        lv2:maximum " << number(port.maxValue);
    switch (port.role) {
    case PortRole::Program:
        out << " ;\n        lv2:portProperty lv2:integer , lv2:enumeration";
        for (unsigned int n = 0; n < ProgramTable::kProgramCount; ++n)
            out << " ;\n        lv2:scalePoint [ rdfs:label "
                << quoted(ProgramTable::program(n).name) << " ; rdf:value " << n << " ]";
        break;
    case PortRole::Latency:
        out << " ;\n        lv2:designation lv2:latency ;\n        lv2:portProperty "
               "lv2:reportsLatency , lv2:integer , pprop:notOnGUI";
        break;
    case PortRole::Clip:
        out << " ;\n        lv2:portProperty lv2:toggled";
        break;
    case PortRole::Document: {
        const ParameterDescription& p = *port.parameter;
        if (p.type == orvane::AnyValue::Int)
            out << " ;\n        lv2:portProperty lv2:integer";
        if (p.type == orvane::AnyValue::Bool)
            out << " ;\n        lv2:portProperty lv2:toggled";
        if (port.row && port.row->kind == KavControlKind::KickButton)
            out << " ;\n        lv2:portProperty pprop:trigger";
        // A logarithmic scale needs a positive lower bound; ranges starting at 0 stay linear.
        if (port.row && port.row->curve == KavParamValueCurve::Exponential && p.minValue > 0.0f)
            out << " ;\n        lv2:portProperty pprop:logarithmic";
        if (const char* unit = unitOf(p.unit))
            out << " ;\n        units:unit " << unit;
        if (port.program)
            out << " ;\n        pg:group <" << groupUri(plugin, *port.program) << ">";
        break;
    }
    case PortRole::Audio:
        break;
    }
    out << "\n    ]" << (last ? " .\n" : " ,\n");
}

void writePlugin(std::ostream& out, const Plugin& plugin, bool withUi) {
    const std::vector<Port> list = ports(plugin.channels);
    std::set<std::string> symbols;
    for (const Port& port : list)
        if (!symbols.insert(port.symbol).second)
            throw std::runtime_error("port symbol used twice: " + port.symbol);

    for (const ProgramDescription* program : ProgramTable::kPrograms)
        out << "<" << groupUri(plugin, *program) << ">\n    a pg:Group ;\n    lv2:symbol "
            << quoted(symbolOf(program->dspClassName)) << " ;\n    rdfs:label "
            << quoted(program->name) << " .\n\n";

    out << "<" << plugin.uri << ">\n    a lv2:Plugin , lv2:DelayPlugin , doap:Project ;\n"
        << "    doap:name " << quoted(plugin.name) << " ;\n"
        << "    doap:license <https://spdx.org/licenses/GPL-3.0-or-later> ;\n"
        << "    lv2:project <urn:quorvel:lv2> ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable , work:schedule , urid:map ;\n"
        << "    lv2:extensionData state:interface , work:interface ;\n"
        << (withUi ? std::string("    ui:ui <") + kUiUri + "> ;\n" : std::string())
        << "    lv2:port\n";
    for (size_t i = 0; i < list.size(); ++i)
        writePort(out, plugin, list[i], i + 1 == list.size());
    out << "\n";
}

std::string presetUri(const Plugin& plugin, unsigned int preset) {
    return std::string(plugin.uri) + ":preset:" + symbolOf(ProgramTable::program(preset).name);
}

void writePresets(std::ostream& out, const Plugin& plugin) {
    const std::vector<Port> list = ports(plugin.channels);
    for (unsigned int n = 0; n < ProgramTable::kProgramCount; ++n) {
        const ProgramDescription& program = ProgramTable::program(n);
        out << "<" << presetUri(plugin, n) << ">\n    a pset:Preset ;\n    lv2:appliesTo <"
            << plugin.uri << "> ;\n    rdfs:label " << quoted(program.name)
            << " ;\n    lv2:port [ lv2:symbol \"program\" ; pset:value " << number(float(n))
            << " ]";
        for (const Port& port : list)
            if (port.program == &program)
                out << " ,\n        [ lv2:symbol " << quoted(port.symbol) << " ; pset:value "
                    << number(port.defaultValue) << " ]";
        out << " .\n\n";
    }
}

// The editor: an X11 UI fed by every control port, the clip output included.
void writeUi(std::ostream& out, const std::string& uiBinary) {
    out << "<" << kUiUri << ">\n    a ui:X11UI ;\n    ui:binary <" << uiBinary << "> ;\n"
        << "    lv2:requiredFeature ui:idleInterface ;\n"
        << "    lv2:optionalFeature ui:parent , ui:resize , opts:options , urid:map ;\n"
        << "    lv2:extensionData ui:idleInterface , ui:resize";
    for (const Plugin& plugin : kPlugins)
        out << " ;\n    ui:portNotification [ ui:plugin <" << plugin.uri
            << "> ; lv2:symbol \"clip\" ; ui:protocol ui:floatProtocol ]";
    out << " .\n\n";
}

void writeManifest(std::ostream& out, const std::string& binary) {
    for (const Plugin& plugin : kPlugins) {
        out << "<" << plugin.uri << ">\n    a lv2:Plugin ;\n    lv2:binary <" << binary
            << "> ;\n    rdfs:seeAlso <quorvel.ttl> .\n\n";
        for (unsigned int n = 0; n < ProgramTable::kProgramCount; ++n)
            out << "<" << presetUri(plugin, n) << ">\n    a pset:Preset ;\n    lv2:appliesTo <"
                << plugin.uri << "> ;\n    rdfs:label " << quoted(ProgramTable::program(n).name)
                << " ;\n    rdfs:seeAlso <presets.ttl> .\n\n";
    }
}

bool writeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    return bool(file);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::cerr << "usage: GenerateTurtle BUNDLE_DIR BINARY_NAME [UI_BINARY_NAME]\n";
        return 2;
    }
    const std::string dir = argv[1];
    std::ostringstream manifest, plugins, presets;
    const std::string header =
        std::string(kPrefixes) + "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n\n";
    manifest << header;
    plugins << header << "<urn:quorvel:lv2>\n    a doap:Project ;\n    doap:name \"Quorvel\" .\n\n";
    presets << header;
    try {
        const bool withUi = argc == 4;
        writeManifest(manifest, argv[2]);
        if (withUi)
            writeUi(manifest, argv[3]);
        for (const Plugin& plugin : kPlugins) {
            writePlugin(plugins, plugin, withUi);
            writePresets(presets, plugin);
        }
    } catch (const std::exception& e) {
        std::cerr << "GenerateTurtle: " << e.what() << "\n";
        return 1;
    }
    if (!writeFile(dir + "/manifest.ttl", manifest.str()) ||
        !writeFile(dir + "/quorvel.ttl", plugins.str()) ||
        !writeFile(dir + "/presets.ttl", presets.str())) {
        std::cerr << "GenerateTurtle: cannot write into " << dir << "\n";
        return 1;
    }
    return 0;
}
