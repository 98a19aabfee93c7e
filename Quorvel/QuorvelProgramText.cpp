#include "Quorvel/QuorvelProgramText.hpp"

#include "orvane/AnyDetails.hpp"
#include "orvane/MessageText.hpp"
#include "orvane/Parameter.hpp"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>
#include <string_view>

namespace QuorvelProgramText {
namespace {

constexpr const char* kRootName = "QuorvelPresets";
constexpr const char* kParametersName = "Parameters";
constexpr const char* kParameterName = "Parameter";
// Attribute text quoted in a reason is cut after this many bytes.
constexpr std::size_t kMaxQuotedBytes = 40;

// The position of the first byte that does not belong to a well-formed UTF-8 sequence, or npos.
// The XML parser takes a lead byte's word for how many bytes follow, and would step over the
// text's terminating NUL after a lead byte near its end; here every sequence is complete.
std::size_t firstInvalidUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80                   ? 1
                                   : lead >= 0xC2 && lead < 0xE0 ? 2
                                   : lead >= 0xE0 && lead < 0xF0 ? 3
                                   : lead >= 0xF0 && lead < 0xF5 ? 4
                                                                 : 0;
        if (length == 0 || text.size() - at < length)
            return at;
        for (std::size_t i = 1; i < length; ++i)
            if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
                return at;
        at += length;
    }
    return std::string_view::npos;
}

enum class MarkupCheck { Fits, TooDeep, Unbalanced, Unsupported };

// The XML parser descends recursively, one stack frame per nesting level, so a hostile text can
// exhaust the host's stack. This walks the markup without building anything and measures the
// element nesting before the parser runs. It never measures less than the parser will descend:
// every '<' of the text is either examined here as the start of a tag, or lies in a comment,
// which both end at the first "-->", or the text is refused. Markup that a program text never
// has and that the parser reads differently ("<!" sections other than comments, a '<' inside a
// tag or a quoted attribute value) is refused outright, and so are unterminated tags and
// comments and closing tags without an opening one.
MarkupCheck checkMarkup(std::string_view text, int maxNesting) {
    int depth = 0;
    std::size_t at = text.find('<');
    while (at != std::string_view::npos) {
        const std::string_view rest = text.substr(at);
        if (rest.substr(0, 4) == "<!--") {
            const std::size_t end = text.find("-->", at + 4);
            if (end == std::string_view::npos)
                return MarkupCheck::Unbalanced;
            at = text.find('<', end + 3);
            continue;
        }
        if (rest.substr(0, 2) == "<!")
            return MarkupCheck::Unsupported;

        std::size_t close = at + 1;
        char quote = '\0';
        for (; close < text.size(); ++close) {
            const char c = text[close];
            if (c == '<')
                return MarkupCheck::Unsupported;
            if (quote != '\0') {
                if (c == quote)
                    quote = '\0';
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                break;
            }
        }
        if (close >= text.size())
            return MarkupCheck::Unbalanced;

        const char kind = text[at + 1];
        if (kind == '/') {
            if (--depth < 0)
                return MarkupCheck::Unbalanced;
        } else if (kind != '?') {
            // An element one level below the open ones, empty or not.
            if (depth + 1 > maxNesting)
                return MarkupCheck::TooDeep;
            if (text[close - 1] != '/')
                ++depth;
        }
        at = text.find('<', close + 1);
    }
    return MarkupCheck::Fits;
}

// Leading integer of an attribute text, the way stream extraction reads it: blanks skipped,
// digits up to the first other character. False when there is no number or it does not fit.
bool leadingInteger(const char* text, int& value) {
    std::istringstream stream(text);
    int read = 0;
    if (!(stream >> read))
        return false;
    value = read;
    return true;
}

int versionAttribute(const TiXmlElement& element, const char* name) {
    int version = 0;
    const char* text = element.Attribute(name);
    if (text == nullptr || !leadingInteger(text, version))
        return 0;
    return version;
}

const char* typeName(orvane::AnyValue::Type type) {
    switch (type) {
    case orvane::AnyValue::Int:
        return "Int";
    case orvane::AnyValue::Bool:
        return "Bool";
    case orvane::AnyValue::Float:
        return "Float";
    case orvane::AnyValue::Enum:
        return "Enum";
    case orvane::AnyValue::Undefined:
        break;
    }
    return "Undefined";
}

std::string quoted(const char* text) {
    return std::string("\"") + text + "\"";
}

// Attribute text as read, quoted in a reason: escaped and cut, so the reason stays one
// readable line whatever the text holds.
std::string quotedInput(const char* text) {
    return "\"" + orvane::escapedForMessage(text, kMaxQuotedBytes) + "\"";
}

std::string numberText(double value) {
    std::ostringstream stream;
    stream << value;
    return stream.str();
}

// Empty when `value` lies within the parameter's range (bounds included), else the range as
// text. NaN lies in no range.
std::string outsideRange(const orvane::AnyDetails& details, const orvane::AnyValue& value) {
    if (const auto* f = details.getFloatDetails()) {
        const float v = value.GetFloat();
        if (f->getMinValue() <= v && v <= f->getMaxValue())
            return {};
        return numberText(f->getMinValue()) + " to " + numberText(f->getMaxValue());
    }
    if (const auto* i = details.getIntDetails()) {
        const int v = value.GetInt();
        if (i->getMinValue() <= v && v <= i->getMaxValue())
            return {};
        return numberText(i->getMinValue()) + " to " + numberText(i->getMaxValue());
    }
    if (const auto* e = details.getEnumDetails()) {
        const unsigned int v = value.GetEnum();
        if (e->getMinValue() <= v && v <= e->getMaxValue())
            return {};
        return numberText(e->getMinValue()) + " to " + numberText(e->getMaxValue());
    }
    return {};
}

// Checks one "Parameter" element (the `position`-th child of "Parameters", from 1).
bool readParameter(const TiXmlElement& element, int position, const orvane::Document& document,
                   Assignment& assignment, std::string& error) {
    const std::string where = "Parameter element " + std::to_string(position);
    const char* idText = element.Attribute("id");
    const char* valueText = element.Attribute("value");
    if (idText == nullptr) {
        error = where + " has no id attribute";
        return false;
    }
    if (valueText == nullptr) {
        error = where + " has no value attribute";
        return false;
    }
    int id = -1;
    if (!leadingInteger(idText, id) || id < 0 ||
        static_cast<unsigned int>(id) >= document.GetNumberOfParameters()) {
        error = where + ": id " + quotedInput(idText) + " is not a parameter index 0 to " +
                std::to_string(document.GetNumberOfParameters() - 1);
        return false;
    }
    const orvane::Parameter& parameter = *document.getParameter(static_cast<unsigned int>(id));
    const orvane::AnyDetails& details = parameter.getDetails();
    const std::string named =
        "parameter " + std::to_string(id) + " " + quoted(details.getName().c_str());
    if ((details.getFlags() & orvane::AnyDetails::Stored) == 0) {
        error = where + ": " + named + " is not stored in program texts";
        return false;
    }
    orvane::AnyValue value = parameter.getValue();
    if (!orvane::AnyValue::FromChar(valueText, value)) {
        error = where + ": value " + quotedInput(valueText) + " is not a valid " +
                typeName(value.getType()) + " for " + named;
        return false;
    }
    const std::string range = outsideRange(details, value);
    if (!range.empty()) {
        error =
            where + ": value " + quotedInput(valueText) + " for " + named + " is outside " + range;
        return false;
    }
    assignment = {static_cast<unsigned int>(id), value};
    return true;
}

// The value as a text can carry it so that reading accepts it again: within the parameter's
// range and of its type. Writers are trusted to stay in range, but a saved state that cannot be
// restored would lose the user's work, so a value that strayed (a host sending 1.01 for a 0..1
// control, a NaN, a value of the wrong type) is written clamped, or as the default.
orvane::AnyValue storableValue(const orvane::AnyDetails& details, orvane::AnyValue value) {
    if (value.getType() != details.getType())
        return details.getDefault();
    if (const auto* f = details.getFloatDetails()) {
        const float v = value.GetFloat();
        if (std::isnan(v))
            return details.getDefault();
        return orvane::AnyValue(std::clamp(v, f->getMinValue(), f->getMaxValue()));
    }
    if (const auto* i = details.getIntDetails())
        return orvane::AnyValue(std::clamp(value.GetInt(), i->getMinValue(), i->getMaxValue()));
    if (const auto* e = details.getEnumDetails())
        return orvane::AnyValue::makeEnum(
            std::clamp(value.GetEnum(), e->getMinValue(), e->getMaxValue()));
    return value;
}

bool readVersions(const TiXmlElement& root, std::string& error) {
    const int major = versionAttribute(root, "VersionMajor");
    const int preset = versionAttribute(root, "PresetVersion");
    if (major == kVersionMajor && preset == kPresetVersion)
        return true;
    error = "unsupported program text version: VersionMajor " + std::to_string(major) +
            ", PresetVersion " + std::to_string(preset) + " (expected " +
            std::to_string(kVersionMajor) + " and " + std::to_string(kPresetVersion) + ")";
    return false;
}

bool readParameters(const TiXmlElement& root, const orvane::Document& document,
                    std::vector<Assignment>& assignments, std::string& error) {
    const TiXmlElement* parameters = root.FirstChildElement(kParametersName);
    if (parameters == nullptr) {
        error = "the program text has no Parameters element";
        return false;
    }
    std::vector<Assignment> read;
    int position = 0;
    for (const TiXmlElement* element = parameters->FirstChildElement(); element != nullptr;
         element = element->NextSiblingElement()) {
        Assignment assignment{};
        if (!readParameter(*element, ++position, document, assignment, error))
            return false;
        read.push_back(assignment);
    }
    assignments = std::move(read);
    return true;
}

} // namespace

std::string write(const orvane::Document& document) {
    TiXmlDocument xml;
    xml.Parse("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    xml.LinkEndChild(new TiXmlDeclaration("1.0", "", ""));
    auto* root = new TiXmlElement(kRootName);
    root->SetAttribute("VersionMajor", kVersionMajor);
    root->SetAttribute("VersionMinor", kVersionMinor);
    root->SetAttribute("PresetVersion", kPresetVersion);
    xml.LinkEndChild(root);
    auto* parameters = new TiXmlElement(kParametersName);
    root->LinkEndChild(parameters);

    for (unsigned int index = 0; index < document.GetNumberOfParameters(); ++index) {
        const orvane::Parameter& parameter = *document.getParameter(index);
        if ((parameter.getDetails().getFlags() & orvane::AnyDetails::Stored) == 0)
            continue;
        char valueText[orvane::AnyValue::kTextSize];
        storableValue(parameter.getDetails(), parameter.getValue()).ToChar(valueText);
        auto* element = new TiXmlElement(kParameterName);
        element->SetAttribute("id", static_cast<int>(index));
        element->SetAttribute("value", valueText);
        parameters->LinkEndChild(element);
    }

    std::ostringstream text;
    text << xml; // the compact form: no indentation, no line breaks
    return text.str();
}

bool read(const char* text, std::size_t length, const orvane::Document& document,
          std::vector<Assignment>& assignments, std::string& error) {
    // Look no further than one byte past the cap, and never past `length`.
    const std::size_t size =
        text == nullptr ? 0 : strnlen(text, std::min(length, kMaxTextSize + 1));
    if (size == 0) {
        error = "the program text is empty";
        return false;
    }
    if (size > kMaxTextSize) {
        error = "the program text is larger than " + std::to_string(kMaxTextSize) + " bytes";
        return false;
    }
    const std::string source(text, size); // NUL-terminated for the parser
    const std::size_t invalid = firstInvalidUtf8(source);
    if (invalid != std::string_view::npos) {
        error = "the program text is not valid UTF-8 (byte " + std::to_string(invalid + 1) + ")";
        return false;
    }
    switch (checkMarkup(source, kMaxNesting)) {
    case MarkupCheck::TooDeep:
        error = "the program text nests elements deeper than " + std::to_string(kMaxNesting) +
                " levels";
        return false;
    case MarkupCheck::Unbalanced:
        error = "the program text is not well-formed XML: unterminated or unbalanced markup";
        return false;
    case MarkupCheck::Unsupported:
        error = "the program text holds markup that program texts do not use (\"<!\" sections "
                "other than comments, or '<' inside a tag)";
        return false;
    case MarkupCheck::Fits:
        break;
    }

    TiXmlDocument xml;
    xml.Parse(source.c_str());
    if (xml.Error()) {
        error = std::string("the program text is not well-formed XML: ") + xml.ErrorDesc();
        if (xml.ErrorRow() > 0) {
            error += " (line " + std::to_string(xml.ErrorRow()) + ", column " +
                     std::to_string(xml.ErrorCol()) + ")";
        }
        return false;
    }
    const TiXmlElement* root = xml.RootElement();
    if (root == nullptr) {
        error = "the program text has no root element";
        return false;
    }
    return readVersions(*root, error) && readParameters(*root, document, assignments, error);
}

} // namespace QuorvelProgramText
