#include "Quorvel/QuorvelProgramText.hpp"
#include "Quorvel/QuorvelDocument.hpp"

#include "RecordingObserver.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char* const kRootAttributes = R"(VersionMajor="1" VersionMinor="0" PresetVersion="4")";

std::string programText(const std::string& parameters,
                        const std::string& rootAttributes = kRootAttributes) {
    return R"(<?xml version="1.0" ?><QuorvelPresets )" + rootAttributes + "><Parameters>" +
           parameters + "</Parameters></QuorvelPresets>";
}

std::string element(unsigned int id, const std::string& value) {
    return "<Parameter id=\"" + std::to_string(id) + "\" value=\"" + value + "\" />";
}

// The text a freshly built document stores: every parameter but the reserved one (3) and the
// clip indicator (4) at its default, floats with two decimals, integers and booleans whole.
std::string freshText() {
    std::string text = R"(<?xml version="1.0" encoding="UTF-8" ?><?xml version="1.0" ?>)"
                       "<QuorvelPresets " +
                       std::string(kRootAttributes) + "><Parameters>";
    for (unsigned int id = 0; id < 57; ++id) {
        if (id == 3 || id == 4)
            continue;
        const ParameterDescription& p = ProgramTable::parameter(id);
        char value[32];
        std::snprintf(value, sizeof value, p.type == orvane::AnyValue::Float ? "%.2f" : "%.0f",
                      p.defaultValue);
        text += element(id, value);
    }
    return text + "</Parameters></QuorvelPresets>";
}
const std::string kFreshText = freshText();

float floatValue(const QuorvelDocument& document, unsigned int index) {
    return document.getParameter(index)->getValue().GetFloat();
}

class ProgramText : public ::testing::Test {
protected:
    QuorvelDocument document;
    std::vector<std::string> log;
    RecordingObserver host{QuorvelDocument::kAutomationObserverId, document, "host", log};
    RecordingObserver engine{QuorvelDocument::kEngineObserverId, document, "engine", log};

    bool load(const std::string& text) {
        error.clear();
        return document.loadProgramText(text.data(), text.size(), &error);
    }
    // Loading `text` fails with `expected` and leaves the document and its observers untouched.
    void expectRefused(const std::string& text, const std::string& expected) {
        const std::string before = document.getProgramText();
        EXPECT_FALSE(load(text));
        EXPECT_EQ(error, expected);
        EXPECT_EQ(document.getProgramText(), before);
        EXPECT_TRUE(log.empty());
    }

    std::string error;
};

using Log = std::vector<std::string>;

TEST_F(ProgramText, FreshDocumentStoresEveryStoredParameterAtItsDefault) {
    char* text = nullptr;
    const int length = document.storeProgram(&text);
    ASSERT_NE(text, nullptr);
    ASSERT_EQ(length, static_cast<int>(kFreshText.size() + 1));
    EXPECT_EQ(text[length - 1], '\0');
    EXPECT_EQ(std::string(text), kFreshText);
    EXPECT_NE(kFreshText.find(element(27, "300.00") + element(28, "500.00")), std::string::npos);
    EXPECT_NE(kFreshText.find(element(22, "1000") + element(23, "12.00")), std::string::npos);
    delete[] text;
}

TEST_F(ProgramText, LoadingAStoredTextRestoresEveryValueAndActivatesItsProgram) {
    QuorvelDocument source;
    source.setParameter(ParameterIndex::Gain, orvane::AnyValue(0.5f));
    source.setParameter(27, orvane::AnyValue(1234.5f));
    source.setParameter(22, orvane::AnyValue(9999));
    source.setParameter(ParameterIndex::Fire, orvane::AnyValue(true));
    source.activateProgram(11);
    char* text = nullptr;
    const int length = source.storeProgram(&text);

    // The length handed out includes the NUL, exactly as the host gives it back.
    EXPECT_TRUE(document.loadProgram(text, length));
    delete[] text;
    EXPECT_EQ(document.getProgramText(), source.getProgramText());
    EXPECT_EQ(document.getCurrentPresetNumber(), 11u);
    EXPECT_EQ(log, (Log{"host suspend 1", "engine suspend 1", "host preset", "engine preset",
                        "host suspend 0", "engine suspend 0", "host changed 0=0.50",
                        "engine changed 0=0.50", "host changed 1=1.00", "engine changed 1=1.00"}));
}

TEST_F(ProgramText, RangeBoundsSurviveAStoreAndLoad) {
    for (bool atMaximum : {false, true}) {
        QuorvelDocument source;
        for (unsigned int index = 0; index < source.GetNumberOfParameters(); ++index) {
            const ParameterDescription& row = ProgramTable::parameter(index);
            const float bound = atMaximum ? row.maxValue : row.minValue;
            if (row.type == orvane::AnyValue::Float)
                source.setParameter(index, orvane::AnyValue(bound));
            else if (row.type == orvane::AnyValue::Int)
                source.setParameter(index, orvane::AnyValue(static_cast<int>(bound)));
            else
                source.setParameter(index, orvane::AnyValue(bound != 0.0f));
        }
        const std::string text = source.getProgramText();
        ASSERT_TRUE(load(text)) << error;
        EXPECT_EQ(document.getProgramText(), text);
    }
}

TEST_F(ProgramText, StrayValuesAreStoredInRangeAndFloatsRoundedToTwoDecimals) {
    QuorvelDocument source;
    source.setParameter(27, orvane::AnyValue(10000.5f));
    source.setParameter(22, orvane::AnyValue(5));
    source.setParameter(ParameterIndex::Gain, orvane::AnyValue(std::nanf("")));
    source.setParameter(36, orvane::AnyValue(30)); // an Int in a Float: stored as the default
    source.setParameter(ParameterIndex::DryWet, orvane::AnyValue(0.333f));
    ASSERT_TRUE(load(source.getProgramText())) << error;
    EXPECT_EQ(floatValue(document, 27), 10000.0f);
    EXPECT_EQ(document.getParameter(22)->getValue().GetInt(), 20);
    EXPECT_EQ(floatValue(document, ParameterIndex::Gain), 1.0f);
    EXPECT_EQ(floatValue(document, 36), 12.0f);
    EXPECT_EQ(floatValue(document, ParameterIndex::DryWet), 0.33f);
}

TEST_F(ProgramText, ElementsApplyInTextOrderAndMissingOnesKeepTheirValues) {
    document.setParameter(30, orvane::AnyValue(42.0f));
    ASSERT_TRUE(load(programText(element(29, "1.50") + "<!-- <x><y><z> -->" + element(27, "7.00") +
                                 element(29, "2.25"))))
        << error;
    EXPECT_EQ(floatValue(document, 27), 7.0f);
    EXPECT_EQ(floatValue(document, 29), 2.25f); // listed twice: the later value wins
    EXPECT_EQ(floatValue(document, 30), 42.0f);
}

TEST_F(ProgramText, LengthBoundsTheTextWhateverFollowsIt) {
    // No NUL within the length: the bytes after it are never read.
    std::string buffer = kFreshText + "<<<garbage";
    EXPECT_TRUE(document.loadProgramText(buffer.data(), kFreshText.size(), &error)) << error;
    // A NUL within the length ends the text.
    buffer = kFreshText + std::string(1, '\0') + "<<<garbage";
    EXPECT_TRUE(document.loadProgramText(buffer.data(), buffer.size(), &error)) << error;
    // Trailing blanks up to the size cap are allowed.
    buffer = kFreshText + std::string(QuorvelProgramText::kMaxTextSize - kFreshText.size(), ' ');
    EXPECT_TRUE(load(buffer)) << error;
    // A length that cuts the text short, no text, or no length.
    log.clear();
    expectRefused(kFreshText.substr(0, kFreshText.size() - 1),
                  "the program text is not well-formed XML: unterminated or unbalanced markup");
    EXPECT_FALSE(document.loadProgramText(nullptr, 100, &error));
    EXPECT_EQ(error, "the program text is empty");
    EXPECT_FALSE(document.loadProgram(buffer.data(), -1));
    EXPECT_FALSE(document.loadProgram(buffer.data(), 0));
    EXPECT_TRUE(log.empty());
}

TEST_F(ProgramText, TextsThatFailPartWayChangeNothingAndTellNobody) {
    // Valid values first, an invalid one last: none of them is applied, no program activated.
    const std::string before = document.getProgramText();
    EXPECT_FALSE(
        load(programText(element(ParameterIndex::CurrentPreset, "9") + element(27, "5.00") +
                         element(ParameterIndex::Gain, "0.25") + element(24, "true"))));
    EXPECT_EQ(error,
              R"(Parameter element 4: value "true" is not a valid Bool for parameter 24 "Fire")");
    EXPECT_EQ(document.getProgramText(), before);
    EXPECT_EQ(document.getCurrentPresetNumber(), 0u);
    EXPECT_TRUE(log.empty());
}

struct RefusedText {
    const char* what;
    std::string text;
    std::string error;
};

const std::string kVersionError = "unsupported program text version: VersionMajor ";

const RefusedText kRefusedTexts[] = {
    {"major version 2", programText(element(27, "1.00"), R"(VersionMajor="2" PresetVersion="4")"),
     kVersionError + "2, PresetVersion 4 (expected 1 and 4)"},
    {"preset version 3", programText(element(27, "1.00"), R"(VersionMajor="1" PresetVersion="3")"),
     kVersionError + "1, PresetVersion 3 (expected 1 and 4)"},
    {"no preset version", programText("", R"(VersionMajor="1")"),
     kVersionError + "1, PresetVersion 0 (expected 1 and 4)"},
    {"unreadable version", programText("", R"(VersionMajor="one" PresetVersion="4")"),
     kVersionError + "0, PresetVersion 4 (expected 1 and 4)"},
    {"no Parameters element",
     R"(<QuorvelPresets VersionMajor="1" PresetVersion="4"><Parameter id="27" value="1.00" /></QuorvelPresets>)",
     "the program text has no Parameters element"},
    {"no id", programText(element(27, "1.00") + R"(<Parameter value="1.00" />)"),
     "Parameter element 2 has no id attribute"},
    {"no value", programText(R"(<Parameter id="27" />)"),
     "Parameter element 1 has no value attribute"},
    {"id above the table", programText(element(57, "1.00")),
     R"(Parameter element 1: id "57" is not a parameter index 0 to 56)"},
    {"negative id", programText(R"(<Parameter id="-1" value="1.00" />)"),
     R"(Parameter element 1: id "-1" is not a parameter index 0 to 56)"},
    {"id not a number", programText(R"(<Parameter id="gain" value="1.00" />)"),
     R"(Parameter element 1: id "gain" is not a parameter index 0 to 56)"},
    {"reserved parameter", programText(element(3, "0")),
     R"(Parameter element 1: parameter 3 "Reserved" is not stored in program texts)"},
    {"clip indicator", programText(element(4, "1")),
     R"(Parameter element 1: parameter 4 "LevelClip" is not stored in program texts)"},
    {"float not a number", programText(element(27, "abc")),
     R"(Parameter element 1: value "abc" is not a valid Float for parameter 27 "LoDelay [ms]")"},
    {"float nan", programText(element(ParameterIndex::Gain, "nan")),
     R"(Parameter element 1: value "nan" is not a valid Float for parameter 0 "Gain")"},
    {"float inf", programText(element(ParameterIndex::Gain, "inf")),
     R"(Parameter element 1: value "inf" is not a valid Float for parameter 0 "Gain")"},
    {"float above range", programText(element(27, "10000.01")),
     R"(Parameter element 1: value "10000.01" for parameter 27 "LoDelay [ms]" is outside 0 to 10000)"},
    {"float below range", programText(element(16, "-90.01")),
     R"(Parameter element 1: value "-90.01" for parameter 16 "LowGain [dB]" is outside -90 to 30)"},
    {"int below range", programText(element(22, "19")),
     R"(Parameter element 1: value "19" for parameter 22 "Cutoff [Hz]" is outside 20 to 10000)"},
    {"program that does not exist", programText(element(ParameterIndex::CurrentPreset, "15")),
     R"(Parameter element 1: value "15" for parameter 2 "CurrentPreset" is outside 0 to 14)"},
    {"bool as a word", programText(element(25, "false")),
     R"(Parameter element 1: value "false" is not a valid Bool for parameter 25 "Reset")"},
    // Attribute text is quoted escaped and cut, so a reason stays one line.
    {"newlines in a value", programText(element(27, "x\n&#10;quorvel: forged")),
     R"(Parameter element 1: value "x\n\nquorvel: forged" is not a valid Float for parameter 27 "LoDelay [ms]")"},
    {"newline in an id", programText(R"(<Parameter id="&#10;99" value="1.00" />)"),
     R"(Parameter element 1: id "\n99" is not a parameter index 0 to 56)"},
    {"long value", programText(element(27, std::string(30, 'a') + "\x1b" + std::string(20, 'b'))),
     "Parameter element 1: value \"" + std::string(30, 'a') + "\\x1b" + std::string(9, 'b') +
         "...\" is not a valid Float for parameter 27 \"LoDelay [ms]\""},
    {"empty", "", "the program text is empty"},
    // The parser would read past the end after a lead byte missing its sequence.
    {"a lead byte without its sequence", "<Q>\xf0\x9f</Q>",
     "the program text is not valid UTF-8 (byte 4)"},
    {"above the size cap", std::string(QuorvelProgramText::kMaxTextSize + 1, ' '),
     "the program text is larger than 1048576 bytes"},
    {"no markup", "hello", "the program text is not well-formed XML: Error document empty."},
    {"declaration only", "<?xml version=\"1.0\" ?>", "the program text has no root element"},
    {"unterminated tag", "<QuorvelPresets VersionMajor=\"1\"",
     "the program text is not well-formed XML: unterminated or unbalanced markup"},
    {"closing tag first", "</Parameters><QuorvelPresets />",
     "the program text is not well-formed XML: unterminated or unbalanced markup"},
    {"mismatched end tag", programText("<Parameter id=\"27\" value=\"1.00\"></Parameters>"),
     "the program text is not well-formed XML: Error reading end tag. (line 1, column 146)"},
    {"nested Parameter", programText("<Parameter id=\"27\" value=\"1.00\"><x /></Parameter>"),
     "the program text nests elements deeper than 3 levels"},
    {"CDATA", programText("<![CDATA[x]]>"),
     "the program text holds markup that program texts do not use (\"<!\" sections other than "
     "comments, or '<' inside a tag)"},
    {"'<' in an attribute", programText("<Parameter id=\"27\" value=\"</Parameters>\" />"),
     "the program text holds markup that program texts do not use (\"<!\" sections other than "
     "comments, or '<' inside a tag)"},
};

TEST_F(ProgramText, RefusesInvalidTextsWithTheirReason) {
    for (const RefusedText& refused : kRefusedTexts) {
        SCOPED_TRACE(refused.what);
        expectRefused(refused.text, refused.error);
    }
}

TEST_F(ProgramText, RefusesDeeplyNestedTextsWithoutParsingThem) {
    // A megabyte of open tags would take the parser a quarter of a million stack frames deep.
    std::string deep;
    while (deep.size() + 3 <= QuorvelProgramText::kMaxTextSize)
        deep += "<a>";
    expectRefused(deep, "the program text nests elements deeper than 3 levels");

    // Text that looks like closing tags does not hide nesting.
    std::string disguised = "<a><b>";
    for (int i = 0; i < 1000; ++i)
        disguised += "<!-- </b></a> --><c x=\"/>\">";
    expectRefused(disguised, "the program text nests elements deeper than 3 levels");
}

} // namespace
