#include "Quorvel/QuorvelDocument.hpp"

#include "Quorvel/ProgramParameters/ProgramTable.hpp"
#include "RecordingObserver.hpp"
#include "orvane/AnyDetails.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr unsigned int kUnbound = 65000;

// The reviewed golden listing of the document: one line per parameter (its details and, for a
// program parameter, its preset, slot, control kind, curve, effect parameter number, effect
// control and scaling) and one per preset (id, family, name, effect class, help text).
// A difference is written next to the build so it can be reviewed by diff and copied over.
const char* const kGolden = "QuorvelDocument.golden";

std::string Listing(const QuorvelDocument& document) {
    std::ostringstream out;
    for (unsigned int index = 0; index < document.GetNumberOfParameters(); ++index) {
        const orvane::AnyDetails& d = document.getParameter(index)->getDetails();
        out << index << '|' << d.getName() << '|' << d.getDescription() << '|'
            << static_cast<int>(d.getType()) << '|' << d.getFlags() << '|';
        if (const auto* f = d.getFloatDetails())
            out << f->getDefault() << '|' << f->getMinValue() << '|' << f->getMaxValue();
        else if (const auto* i = d.getIntDetails())
            out << i->getDefault() << '|' << i->getMinValue() << '|' << i->getMaxValue();
        else
            out << d.getBoolDetails()->getDefault();
        if (const ProgramParameterDescription* w = ProgramTable::programParameter(index)) {
            unsigned int preset = 0;
            while (document.getQuorvelPreset(preset).getParameterPosition(index) == kUnbound)
                ++preset;
            const QuorvelPreset& p = document.getQuorvelPreset(preset);
            const unsigned int slot = p.getParameterPosition(index);
            out << "|preset " << preset << " slot " << slot << " kind "
                << static_cast<int>(p.getControlKind(slot)) << " curve "
                << static_cast<int>(p.getCurve(slot)) << " effect " << p.getDspParameter(index)
                << ' ' << (w->effectControl ? w->effectControl : "(amount)") << " scaling "
                << static_cast<int>(w->scaling);
        }
        out << '\n';
    }
    for (unsigned int n = 0; n < document.getPresetCount(); ++n) {
        const QuorvelPreset& p = document.getQuorvelPreset(n);
        out << "program " << n << '|' << p.getId() << '|' << static_cast<int>(p.getCategory())
            << '|' << p.getName() << '|' << ProgramTable::program(n).dspClassName << '|'
            << p.getHelpText() << '\n';
    }
    return out.str();
}

TEST(QuorvelDocument, MatchesTheReviewedListingOfParametersAndPrograms) {
    const QuorvelDocument document;
    const std::string actual = Listing(document);
    std::ifstream golden(std::string(QUORVEL_TEST_SOURCE_DATA) + "/" + kGolden);
    ASSERT_TRUE(golden) << "missing golden " << kGolden;
    std::stringstream expected;
    expected << golden.rdbuf();
    if (actual != expected.str()) {
        const char* dir = std::getenv("QUORVEL_TEST_DATA");
        const std::string path = std::string(dir ? dir : ".") + "/" + kGolden;
        std::ofstream(path) << actual;
        FAIL() << "the document differs from " << kGolden << "; the new listing is in " << path;
    }
}

// Each program parameter sits on exactly one slot of its own preset, and a preset's active
// slots are exactly its parameters; nothing outside the table reaches a slot or an effect.
TEST(QuorvelDocument, EveryProgramParameterIsBoundOnceAndStartsAtItsDefault) {
    const QuorvelDocument document;
    ASSERT_EQ(document.getPresetCount(), 15u);
    EXPECT_EQ(document.getCurrentPresetNumber(), 0u);
    std::set<unsigned int> seen;
    for (unsigned int n = 0; n < document.getPresetCount(); ++n) {
        const QuorvelPreset& preset = document.getQuorvelPreset(n);
        std::set<unsigned int> bound;
        for (unsigned int slot = 0; slot < QuorvelPreset::kSlotCount; ++slot) {
            if (!preset.isSlotActive(slot)) {
                EXPECT_EQ(preset.getSlotParameter(slot), kUnbound) << n << " " << slot;
                continue;
            }
            const unsigned int index = preset.getSlotParameter(slot);
            EXPECT_EQ(preset.getParameterPosition(index), slot);
            EXPECT_EQ(preset.getValues().at(index),
                      document.getParameter(index)->getDetails().getDefault());
            EXPECT_TRUE(seen.insert(index).second) << index << " bound twice";
            bound.insert(index);
        }
        EXPECT_EQ(preset.getValues().size(), bound.size());
        for (long index : {0L, 1L, 2L, 3L, 4L, 57L, -1L, 65000L, (1L << 32) + 27}) {
            EXPECT_EQ(preset.getDspParameter(index), kUnbound) << index;
            EXPECT_EQ(preset.getParameterPosition(index), kUnbound) << index;
        }
    }
    EXPECT_EQ(seen.size(), 52u); // every parameter but the five global ones
    for (unsigned int index = 0; index < 57; ++index)
        EXPECT_EQ(document.getParameter(index)->getValue(),
                  document.getParameter(index)->getDetails().getDefault());
}

class QuorvelDocumentObserved : public ::testing::Test {
protected:
    // Registered in the order the plug-in registers them: host map, engine, editor.
    QuorvelDocument document;
    std::vector<std::string> log;
    RecordingObserver host{QuorvelDocument::kAutomationObserverId, document, "host", log};
    RecordingObserver engine{QuorvelDocument::kEngineObserverId, document, "engine", log};
    RecordingObserver editor{QuorvelDocument::kEditorObserverId, document, "editor", log};

    bool value(unsigned int index) const {
        return document.getParameter(index)->getValue().GetBool();
    }
    void set(unsigned int index, bool on, orvane::Interface& source) {
        log.clear();
        document.updateParameter(index, orvane::AnyValue(on), &source);
    }
};

using Log = std::vector<std::string>;

TEST_F(QuorvelDocumentObserved, ActivatingAProgramSuspendsAllBeforeAnyPresetChange) {
    document.activateProgram(8);
    EXPECT_EQ(document.getCurrentPresetNumber(), 8u);
    EXPECT_EQ(log, (Log{"host suspend 1", "engine suspend 1", "editor suspend 1", "host preset",
                        "engine preset", "editor preset", "host suspend 0", "engine suspend 0",
                        "editor suspend 0"}));
}

TEST_F(QuorvelDocumentObserved, FreezeButtonsLatchUntilReset) {
    // Reset while Fire is off changes nothing and tells nobody.
    set(ParameterIndex::Reset, true, editor);
    EXPECT_FALSE(value(ParameterIndex::Reset));
    EXPECT_TRUE(log.empty());

    set(ParameterIndex::Fire, true, editor);
    EXPECT_TRUE(value(ParameterIndex::Fire));
    EXPECT_EQ(log, (Log{"host changed 24=1", "engine changed 24=1"}));

    // Fire cannot be switched off; its source is told it is still on.
    set(ParameterIndex::Fire, false, editor);
    EXPECT_TRUE(value(ParameterIndex::Fire));
    EXPECT_EQ(log, (Log{"editor changed 24=1", "host changed 24=1", "engine changed 24=1"}));

    // Reset reaches the engine as 1; the editor, though the source, and the host see both off.
    set(ParameterIndex::Reset, true, editor);
    EXPECT_FALSE(value(ParameterIndex::Fire));
    EXPECT_FALSE(value(ParameterIndex::Reset));
    EXPECT_EQ(log, (Log{"host changed 25=1", "engine changed 25=1", "host changed 24=0",
                        "host changed 25=0", "editor changed 24=0", "editor changed 25=0"}));

    // Released: Reset is ignored again until Fire is set.
    set(ParameterIndex::Reset, true, host);
    EXPECT_TRUE(log.empty());
}

TEST_F(QuorvelDocumentObserved, AProgramNumberThatNamesNoProgramIsIgnored) {
    document.activateProgram(8);
    log.clear();
    for (const orvane::AnyValue stray : {orvane::AnyValue(15), orvane::AnyValue(-1),
                                         orvane::AnyValue(3.0f), orvane::AnyValue(true)})
        document.updateParameter(ParameterIndex::CurrentPreset, stray, &host);
    EXPECT_EQ(document.getCurrentPresetNumber(), 8u);
    EXPECT_TRUE(log.empty());
    document.updateParameter(ParameterIndex::CurrentPreset, orvane::AnyValue(14), &host);
    EXPECT_EQ(document.getCurrentPresetNumber(), 14u);
}

TEST(QuorvelDocumentDeathTest, IndicesBeyondTheTablesAndRebindingASlotAreFatal) {
    QuorvelDocument document;
    EXPECT_DEATH(document.activateProgram(15), "program < getPresetCount\\(\\)");
    EXPECT_DEATH(ProgramTable::parameter(57), "index < kParameterCount");
    EXPECT_DEATH(ProgramTable::program(15), "presetNumber < kProgramCount");
    QuorvelPreset preset(4, KavCategoryIds::SFFT, "Delay Spectral Bands", "");
    preset.bindSlot(6, 27, orvane::AnyValue(300.0f), 0, KavControlKind::Slider,
                    KavParamValueCurve::Linear);
    EXPECT_DEATH(preset.bindSlot(6, 29, orvane::AnyValue(500.0f), 2, KavControlKind::Slider,
                                 KavParamValueCurve::Linear),
                 "!ps->m_isActive\\[npos\\]");
    EXPECT_DEATH(preset.bindSlot(12, 29, orvane::AnyValue(500.0f), 2, KavControlKind::Slider,
                                 KavParamValueCurve::Linear),
                 "slot < kSlotCount");
}

} // namespace
