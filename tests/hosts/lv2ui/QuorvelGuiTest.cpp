// The editor's behaviour without a display: the panel state against the mirror document, and
// the port writes that user actions become.

#include "Quorvel/ValueConverters.hpp"
#include "hosts/lv2/ui/Lv2UiBridge.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace {

using Tag = QuorvelGui::Tag;
using Write = std::pair<std::uint32_t, float>;

class Editor : public ::testing::Test, public QuorvelGui::Listener {
protected:
    Editor()
        : bridge(2, [this](std::uint32_t port, float value) {
              writes.push_back({port, value});
          }) {
        bridge.gui().open();
        bridge.gui().setListener(this);
    }
    void guiChanged(QuorvelGui::Area area, unsigned int slot) override {
        changes.push_back({area, slot});
    }
    const QuorvelGui::State& state() { return bridge.gui().state(); }
    QuorvelGui& gui() { return bridge.gui(); }
    std::uint32_t port(unsigned int parameter) { return bridge.portOfParameter(parameter); }
    void program(unsigned int n) {
        bridge.portEvent(bridge.programPort(), float(n));
        writes.clear();
        changes.clear();
    }

    std::vector<Write> writes;
    std::vector<std::pair<QuorvelGui::Area, unsigned int>> changes;
    Lv2UiBridge bridge;
};

// Spectral Freeze's parameters and slots.
constexpr unsigned int kLowDecay = 21, kCutoff = 22, kHiDecay = 23, kFire = 24, kReset = 25;

TEST_F(Editor, EveryProgramFromTheHostRebuildsColumnsListAndFamily) {
    for (unsigned int n : {7u, 0u, 14u, 1u, 9u, 6u}) {
        changes.clear();
        bridge.portEvent(bridge.programPort(), float(n));
        EXPECT_EQ(changes.size(), 1u);
        const QuorvelPreset& preset = bridge.document().getQuorvelPreset(n);
        const bool harmonic = n >= ProgramTable::kShortTimeProgramCount;
        for (unsigned int s = 0; s < QuorvelGui::kSlotCount; ++s) {
            const QuorvelGui::SlotView& view = state().slots[s];
            ASSERT_EQ(view.active, preset.isSlotActive(s)) << n << " slot " << s;
            if (!view.active) {
                EXPECT_TRUE(view.label.empty() && view.text.empty());
                continue;
            }
            // The panel's rows: sliders below, knobs and buttons above.
            EXPECT_EQ(view.kind == KavControlKind::Slider, s >= 6) << n << " slot " << s;
            EXPECT_EQ(view.label, ProgramTable::parameter(view.parameter).name);
        }
        EXPECT_EQ(state().presetList.size(), harmonic ? 8u : 7u);
        ASSERT_GE(state().selectedItem, 0);
        EXPECT_EQ(state().presetList[std::size_t(state().selectedItem)].name,
                  ProgramTable::program(n).name);
        EXPECT_EQ(state().harmonicLit && state().noticeShown && !state().shortTimeLit, harmonic);
        EXPECT_EQ(state().description, ProgramTable::program(n).helpText);
        EXPECT_TRUE(writes.empty());
    }
    program(0); // Delay Spectral Bands leaves its fifth and sixth knobs empty
    EXPECT_FALSE(state().slots[5].active);
}

TEST_F(Editor, FamilyButtonsAndListWriteTheProgramPort) {
    gui().valueChanged(Tag::kHarmonicButton, 1.0f);
    gui().valueChanged(Tag::kPresetList, 2.0f); // the harmonic list's third row
    gui().valueChanged(Tag::kPresetList, 8.0f); // past the list: nothing
    gui().valueChanged(Tag::kShortTimeButton, 1.0f);
    const std::uint32_t p = bridge.programPort();
    EXPECT_EQ(writes, (std::vector<Write>{{p, 7.0f}, {p, 9.0f}, {p, 0.0f}}));
}

TEST_F(Editor, ControlsWriteTheirParametersPortThroughTheSlotsCurve) {
    program(1);
    gui().valueChanged(Tag::kFirstKnob + 1, 0.5f);   // Cutoff, exponential: 20 + 9980 / 16
    gui().valueChanged(Tag::kFirstSlider + 0, 0.5f); // LowDecay, linear over 0..30 s
    EXPECT_EQ(writes, (std::vector<Write>{{port(kCutoff), 643.0f}, {port(kLowDecay), 15.0f}}));
    EXPECT_EQ(state().slots[1].text, "643");
    EXPECT_EQ(state().slots[1].position, 0.5f); // where the user left it
    EXPECT_EQ(state().slots[6].text, "15.00");
    gui().valueChanged(Tag::kFirstSlider + 5, 0.5f); // slot 11 is empty in this program
    EXPECT_EQ(writes.size(), 2u);
}

TEST_F(Editor, TypedNumbersAreTakenAndOtherTextRestoresTheField) {
    program(1);
    gui().textEntered(Tag::kFirstSliderField + 2, "7.5"); // HiDecay
    gui().textEntered(Tag::kFirstSliderField + 2, "99");  // clamped into 0..30
    gui().textEntered(Tag::kGainField, "-6");             // in dB
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0], Write(port(kHiDecay), 7.5f));
    EXPECT_EQ(writes[1], Write(port(kHiDecay), 30.0f));
    EXPECT_EQ(writes[2].first, port(ParameterIndex::Gain));
    EXPECT_NEAR(writes[2].second, 0.501187f, 1e-6f);
    EXPECT_EQ(state().gainText, "-6.00 dB");

    writes.clear();
    for (const char* junk : {"abc", "", "nan"}) {
        gui().textEntered(Tag::kFirstSliderField + 2, junk);
        gui().textEntered(Tag::kGainField, junk);
        EXPECT_EQ(state().slots[8].text, "30.00") << junk;
        EXPECT_EQ(state().gainText, "-6.00 dB") << junk;
    }
    EXPECT_TRUE(writes.empty());
}

TEST_F(Editor, HostChangesMoveOnlyTheirOwnControl) {
    program(1);
    const QuorvelGui::State before = state();
    bridge.portEvent(port(kHiDecay), 3.0f);
    EXPECT_EQ(changes, (decltype(changes){{QuorvelGui::Area::Slot, 8u}}));
    for (unsigned int s = 0; s < QuorvelGui::kSlotCount; ++s)
        EXPECT_EQ(state().slots[s].text == before.slots[s].text, s != 8) << s;
    EXPECT_EQ(state().slots[8].text, "3.00");
    EXPECT_FLOAT_EQ(state().slots[8].position, 0.1f);
    bridge.portEvent(port(11), 2.0f);      // a parameter of another program
    bridge.portEvent(port(kHiDecay), NAN); // never stored
    bridge.portEvent(100000, 1.0f);        // no such port
    EXPECT_EQ(changes.size(), 1u);
    // The clip light follows the output; clicking it clears only the editor's indicator.
    bridge.portEvent(Lv2PortTable::clipPort(2), 1.0f);
    EXPECT_TRUE(state().clipLit);
    gui().valueChanged(Tag::kClipLight, 1.0f);
    EXPECT_FALSE(state().clipLit);
    EXPECT_TRUE(writes.empty());
}

TEST_F(Editor, ResetReleasesFireOnThePluginToo) {
    program(1);
    gui().valueChanged(Tag::kFirstOnOffButton + 3, 1.0f); // Fire on
    gui().valueChanged(Tag::kFirstOnOffButton + 3, 0.0f); // latched: stays on, nothing sent
    EXPECT_EQ(state().slots[3].position, 1.0f);
    gui().valueChanged(Tag::kFirstKickButton + 4, 1.0f); // Reset pressed
    gui().valueChanged(Tag::kFirstKickButton + 4, 0.0f); // and let go
    EXPECT_EQ(
        writes,
        (std::vector<Write>{
            {port(kFire), 1.0f}, {port(kReset), 1.0f}, {port(kFire), 0.0f}, {port(kReset), 0.0f}}));
    EXPECT_EQ(state().slots[3].position, 0.0f);
}

} // namespace
