// The component and its host parameter map, called the way a host calls them.
#include "EngineHarness.hpp"

#include "Quorvel/Quorvel.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

namespace {

using Component = Quorvel::Quorvel;
using Result = Component::Result;

struct RecordingHost : QuorvelHostCallbacks {
    void parameterChanged(unsigned int i, float v) override { parameters.emplace_back(i, v); }
    void latencyChanged() override { ++latencyChanges; }
    std::vector<std::pair<unsigned int, float>> parameters;
    int latencyChanges = 0;
};

struct QuorvelComponent : ::testing::Test {
    QuorvelComponent() : component(&host) { EXPECT_EQ(component.Initialize(), Result::NoError); }
    float hostValue(unsigned int id) {
        float value = -1.0f;
        EXPECT_EQ(component.GetParameter(id, value), Result::NoError);
        return value;
    }
    float document(unsigned int index) {
        return component.getQuorvelDocument().getParameter(index)->getValue().GetFloat();
    }
    RecordingHost host;
    Component component;
};

TEST_F(QuorvelComponent, HostIndicesAreFourteenAndItsValuesStayInRange) {
    float value = 0.0f;
    Component::ParameterInfo info;
    EXPECT_EQ(component.GetParameter(14, value), Result::InvalidParameter);
    EXPECT_EQ(component.SetParameter(14, 0.5f), Result::InvalidParameter);
    EXPECT_EQ(component.GetParameterInfo(14, info), Result::InvalidParameter);
    ASSERT_EQ(component.GetParameterInfo(6, info), Result::NoError);
    EXPECT_EQ(info.name + std::to_string(info.maxValue), "Slider 11.000000");
    // The host speaks 0..1: beyond it is clamped, a NaN or infinity ignored.
    component.SetParameter(12, 7.0f);
    EXPECT_EQ(document(ParameterIndex::Gain), 1.0f);
    component.SetParameter(13, -3.0f);
    EXPECT_EQ(document(ParameterIndex::DryWet), 0.0f);
    component.SetParameter(12, std::numeric_limits<float>::quiet_NaN());
    component.SetParameter(12, -std::numeric_limits<float>::infinity());
    EXPECT_EQ(hostValue(12), 1.0f);
    // Document parameters in their own units are brought into range; others are refused.
    EXPECT_EQ(component.SetDocumentParameter(ParameterIndex::DryWet, 1e30), Result::NoError);
    EXPECT_EQ(component.SetDocumentParameter(ParameterIndex::DryWet, NAN),
              Result::InvalidPropertyValue);
    EXPECT_EQ(document(ParameterIndex::DryWet), 1.0f);
    EXPECT_EQ(component.SetDocumentParameter(ParameterIndex::CurrentPreset, 3),
              Result::InvalidParameter);
    EXPECT_EQ(component.SetDocumentParameter(57, 0), Result::InvalidParameter);
}

TEST_F(QuorvelComponent, RefusedRequestsChangeNothingAndStateTravels) {
    const std::string before = component.SaveState();
    EXPECT_EQ(component.RestoreState(nullptr, 0), Result::InvalidPropertyValue);
    EXPECT_EQ(component.RestoreState("", 1), Result::InvalidPropertyValue);
    std::string hostile = before;
    hostile.replace(hostile.find("PresetVersion=\"4\""), 17, "PresetVersion=\"3\"");
    EXPECT_EQ(component.RestoreState(hostile.data(), hostile.size()), Result::InvalidFile);
    EXPECT_EQ(component.NewFactoryPresetSet(15), Result::InvalidProperty);
    EXPECT_EQ(component.SaveState(), before);
    EXPECT_EQ(component.GetCurrentFactoryPreset(), 0u);
    EXPECT_TRUE(host.parameters.empty());
    // Stereo in, mono out is offered but the engine runs it not.
    component.ChangeStreamFormat(Component::Scope::Output, {44100.0, 1});
    EXPECT_EQ(component.Initialize(), Result::FormatNotSupported);
    EXPECT_EQ(component.ChangeStreamFormat(Component::Scope::Input, {12345.0, 1}),
              Result::FormatNotSupported);
    component.ChangeStreamFormat(Component::Scope::Input, {44100.0, 1});
    EXPECT_EQ(component.Initialize(), Result::NoError);
    // A saved program text brings program and values into another instance.
    Component other;
    other.NewFactoryPresetSet(9);
    other.SetParameter(12, 0.25f);
    const std::string saved = other.SaveState();
    EXPECT_EQ(component.RestoreState(saved.data(), saved.size()), Result::NoError);
    EXPECT_EQ(component.SaveState(), saved);
    EXPECT_EQ(component.GetCurrentFactoryPreset(), 9u);
}

TEST_F(QuorvelComponent, APresetChangeAnnouncesTwelveSlotsAndTheLatency) {
    const unsigned int programs[] = {ProgramTable::kShortTimeProgramCount, 0};
    const unsigned int latencies[] = {2048, 768};
    for (int i = 0; i < 2; ++i) {
        host = {};
        ASSERT_EQ(component.NewFactoryPresetSet(programs[i]), Result::NoError);
        ASSERT_EQ(host.parameters.size(), 12u);
        for (unsigned int s = 0; s < 12; ++s)
            EXPECT_EQ(host.parameters[s], std::make_pair(s, hostValue(s)));
        EXPECT_EQ(host.latencyChanges, 1);
        EXPECT_EQ(component.GetLatencySamples(), latencies[i]);
    }
}

TEST_F(QuorvelComponent, SlotsFollowTheCurrentPreset) {
    QuorvelDocument& doc = component.getQuorvelDocument();
    // Preset 3 binds slot 0 and leaves slot 11 empty.
    const unsigned int preset = 3, empty = 11;
    ASSERT_FALSE(doc.getQuorvelPreset(preset).isSlotActive(empty));
    component.NewFactoryPresetSet(preset);
    const unsigned int p = doc.getQuorvelPreset(preset).getSlotParameter(0);
    const auto& range = *doc.getParameter(p)->getDetails().getFloatDetails();
    host = {};
    // From the host: the bound parameter moves, the map is not echoed; an empty slot is inert.
    component.SetParameter(0, 0.25f);
    EXPECT_FLOAT_EQ(document(p),
                    range.getMinValue() + 0.25f * (range.getMaxValue() - range.getMinValue()));
    const std::string before = component.SaveState();
    EXPECT_EQ(component.SetParameter(empty, 0.7f), Result::NoError);
    EXPECT_EQ(component.SaveState(), before);
    EXPECT_EQ(hostValue(empty), 0.0f);
    EXPECT_TRUE(host.parameters.empty());
    // From elsewhere: the host hears the slot, not a parameter of another program.
    doc.updateParameter(p, orvane::AnyValue(range.getMaxValue()), nullptr);
    const unsigned int other = doc.getQuorvelPreset(0).getSlotParameter(0);
    doc.updateParameter(other, doc.getParameter(other)->getValue(), nullptr);
    ASSERT_EQ(host.parameters.size(), 1u);
    EXPECT_EQ(host.parameters[0], std::make_pair(0u, 1.0f));
}

TEST_F(QuorvelComponent, RendersWhatTheEngineRenders) {
    EngineTest::Harness engine(2, Component::kDefaultMaxFramesPerSlice);
    component.SetParameter(13, 0.5f);
    engine.set(ParameterIndex::DryWet, 0.5f);
    const auto input = EngineTest::testSignal(2, 8192);
    const auto expected = engine.render(input, 512);
    std::vector<std::vector<float>> output(2, std::vector<float>(8192));
    for (unsigned int pos = 0; pos < 8192; pos += 1000) {
        const unsigned int n = std::min(1000u, 8192 - pos);
        const float* in[2] = {input[0].data() + pos, input[1].data() + pos};
        float* out[2] = {output[0].data() + pos, output[1].data() + pos};
        ASSERT_EQ(component.ProcessBufferLists(2, in, 2, out, n), Result::NoError);
    }
    EXPECT_EQ(output, expected);
}

} // namespace
