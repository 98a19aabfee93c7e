#include "Lv2TestHost.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <thread>

namespace {

using Lv2Test::Instance;
using Signal = std::vector<std::vector<float>>;

constexpr unsigned int kHarmonicProgram = 7;

Signal noise(unsigned int channels, size_t frames, unsigned int seed = 3) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> u(-0.5f, 0.5f);
    Signal s(channels, std::vector<float>(frames));
    for (auto& channel : s)
        for (float& x : channel)
            x = u(rng);
    return s;
}

float latency(Instance& plugin) {
    plugin.run(std::vector<float*>(2, nullptr), std::vector<float*>(2, nullptr), 0);
    return plugin.control("latency");
}

class Lv2Plugin : public ::testing::TestWithParam<const char*> {};

TEST_P(Lv2Plugin, ReportsItsLatencyAndDelaysTheDrySignalByExactlyThat) {
    for (unsigned int program : {0u, kHarmonicProgram}) {
        Instance plugin(GetParam());
        ASSERT_TRUE(plugin.ok());
        plugin.control("program") = float(program);
        plugin.control("dry_wet") = 0.0f;
        const float reported = latency(plugin); // run(0) makes the switch and reports it
        EXPECT_EQ(reported, program == 0 ? 768.0f : 2048.0f);
        const auto lag = size_t(reported);
        const Signal in = noise(plugin.channels(), 8192);
        const Signal out = plugin.render(in, 500);
        for (size_t c = 0; c < in.size(); ++c) {
            // The harmonic path carries channel 0, dry and wet alike, to every channel.
            const auto& source = program == 0 ? in[c] : in[0];
            // After the fade-in that follows activation (6 ms).
            for (size_t i = 512; i + lag < 8192; ++i)
                ASSERT_EQ(out[c][i + lag], source[i]) << "channel " << c << " sample " << i;
        }
    }
}

TEST_P(Lv2Plugin, GivesTheSameOutputForAnyBlockPartitionAndInPlaceBuffers) {
    const Signal in = noise(GetParam() == std::string("urn:quorvel:lv2:mono") ? 1 : 2, 12000);
    Signal reference;
    for (uint32_t block : {4096u, 1u, 7u, 256u}) {
        for (bool inPlace : {false, true}) {
            Instance plugin(GetParam());
            plugin.control("program") = 3;
            const Signal out = plugin.render(in, block, inPlace);
            if (reference.empty())
                reference = out;
            else
                ASSERT_EQ(out, reference) << "block " << block << (inPlace ? " in place" : "");
        }
    }
}

TEST_P(Lv2Plugin, EveryFactoryPresetLoadsItsProgram) {
    LilvWorld* world = Lv2Test::World::get().world;
    Instance probe(GetParam());
    LilvNode* presetClass = lilv_new_uri(world, LV2_PRESETS__Preset);
    LilvNodes* presets = lilv_plugin_get_related(probe.plugin(), presetClass);
    EXPECT_EQ(lilv_nodes_size(presets), 15u);
    LV2_URID_Map* map = nullptr;
    for (const LV2_Feature* const* f = probe.features(); *f; ++f)
        if (std::strcmp((*f)->URI, LV2_URID__map) == 0)
            map = static_cast<LV2_URID_Map*>((*f)->data);
    LILV_FOREACH(nodes, i, presets) {
        const LilvNode* preset = lilv_nodes_get(presets, i);
        lilv_world_load_resource(world, preset);
        LilvState* state = lilv_state_new_from_world(world, map, preset);
        ASSERT_NE(state, nullptr);
        Instance plugin(GetParam());
        lilv_state_restore(
            state, plugin.lilv(),
            [](const char* symbol, void* user, const void* value, uint32_t, uint32_t) {
                static_cast<Instance*>(user)->control(symbol) = *static_cast<const float*>(value);
            },
            &plugin, 0, plugin.features());
        latency(plugin);
        // The same program chosen through its port, every value at its default.
        Instance expected(GetParam());
        expected.control("program") = plugin.control("program");
        latency(expected);
        EXPECT_EQ(plugin.save(), expected.save()) << lilv_state_get_label(state);
        lilv_state_free(state);
    }
    lilv_nodes_free(presets);
    lilv_node_free(presetClass);
}

TEST_P(Lv2Plugin, StateRoundTripsAndAHostileTextChangesNothing) {
    Instance source(GetParam());
    source.control("program") = 2;
    source.control("sampleandhold_holdtime_ms") = 420.0f;
    source.control("gain") = 0.5f;
    latency(source);
    const std::string text = source.save();
    ASSERT_NE(text.find("420"), std::string::npos);

    Instance copy(GetParam(), /*withWorker=*/false);
    EXPECT_EQ(copy.restore(nullptr), LV2_STATE_SUCCESS); // a default state without the text
    EXPECT_EQ(copy.restore(text.c_str()), LV2_STATE_SUCCESS);
    EXPECT_EQ(copy.save(), text);

    for (const char* hostile : {"<Quorvel", "", "\xff\xfe<<<>>>", "<a><b></a>"}) {
        EXPECT_NE(copy.restore(hostile), LV2_STATE_SUCCESS) << hostile;
        EXPECT_EQ(copy.save(), text);
    }
    const Signal out = copy.render(noise(copy.channels(), 4096), 512);
    float energy = 0;
    for (float x : out[0])
        energy += x * x;
    EXPECT_TRUE(std::isfinite(energy));
    EXPECT_GT(energy, 0.0f);
}

TEST_P(Lv2Plugin, ClampsOutOfRangeControlsAndIgnoresNonFiniteOnes) {
    const Signal in = noise(GetParam() == std::string("urn:quorvel:lv2:mono") ? 1 : 2, 6000);
    Instance plain(GetParam());
    const Signal reference = plain.render(in, 256);

    Instance hostile(GetParam());
    hostile.control("gain") = NAN;
    hostile.control("dry_wet") = 7.0f; // clamped to 1, its default
    hostile.control("program") = INFINITY;
    hostile.control("spectraldelay_lodelay_ms") = 1e9f;   // the largest delay, not beyond it
    hostile.control("spectraldelay_lodelay_ms") = 300.0f; // and back to the default
    EXPECT_EQ(hostile.render(in, 256), reference);

    Instance silent(GetParam());
    silent.control("gain") = -4.0f; // clamped to 0
    for (const auto& channel : silent.render(in, 256))
        for (float x : channel)
            ASSERT_EQ(x, 0.0f);
}

TEST_P(Lv2Plugin, InstancesOnTwoThreadsRenderWhatEachRendersAlone) {
    const Signal in = noise(GetParam() == std::string("urn:quorvel:lv2:mono") ? 1 : 2, 20000);
    // lilv is not thread-safe: instances are made and their ports looked up on this thread.
    auto make = [&](unsigned int program) {
        auto plugin = std::make_unique<Instance>(GetParam());
        plugin->control("program") = float(program);
        return plugin;
    };
    const Signal alone0 = make(1)->render(in, 333);
    const Signal alone1 = make(kHarmonicProgram + 1)->render(in, 333);
    auto p0 = make(1), p1 = make(kHarmonicProgram + 1);
    Signal together0, together1;
    std::thread a([&] { together0 = p0->render(in, 333); });
    std::thread b([&] { together1 = p1->render(in, 333); });
    a.join();
    b.join();
    EXPECT_EQ(together0, alone0);
    EXPECT_EQ(together1, alone1);
}

INSTANTIATE_TEST_SUITE_P(MonoAndStereo, Lv2Plugin,
                         ::testing::Values("urn:quorvel:lv2:mono", "urn:quorvel:lv2:stereo"));

TEST(Lv2Bundle, RefusesASampleRateTheEngineDoesNotRun) {
    EXPECT_FALSE(Instance("urn:quorvel:lv2:stereo", true, 12345).ok());
}

} // namespace
