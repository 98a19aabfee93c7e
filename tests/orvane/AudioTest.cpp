#include "orvane/Audio.hpp"

#include "orvane/Observers.hpp"
#include "support/AllocationCounter.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <functional>
#include <future>
#include <limits>
#include <thread>
#include <vector>

using orvane::AnyValue;

namespace {

using Changes = std::vector<std::pair<unsigned int, const orvane::Parameter*>>;

// Writes a constant 1 to every output sample of the current configuration.
class ConstantEngine : public orvane::Audio {
public:
    explicit ConstantEngine(orvane::Document* document)
        : orvane::Audio(1, document, new orvane::Audio::SimpleCommandFactory) {
        m_configurations = {{1, 1}, {2, 2}};
        m_samplingRates = {22050, 44100, 48000, 96000};
    }
    bool Initialize() override { return true; }
    void presetChanged() override {}
    void reset() override {}
    void DoProcess(float**, float** outputs, unsigned int frames) override {
        ++blocksProcessed;
        if (onProcess)
            onProcess();
        for (unsigned int c = 0; c < getConfigurations()[getCurrentConfiguration()].outputs; ++c)
            for (unsigned int i = 0; i < frames; ++i)
                outputs[c][i] = 1.0f;
    }
    void setParameter(unsigned int index, const orvane::Parameter& parameter) override {
        changes.push_back({index, &parameter});
    }
    // Whether another thread can take the engine lock right now (it releases it at once).
    bool lockIsFreeForOthers() {
        auto probe = [this] { return m_lock.tryEnter() && (m_lock.exit(), true); };
        return std::async(std::launch::async, probe).get();
    }

    std::atomic<int> blocksProcessed{0};
    std::function<void()> onProcess;
    Changes changes;
};

// Two output channels prefilled with NaN, so that every sample the base writes shows.
struct Block {
    explicit Block(unsigned int frames)
        : left(frames, std::numeric_limits<float>::quiet_NaN()),
          right(left), pointers{left.data(), right.data()} {}
    std::vector<float> left, right;
    float* pointers[2];
};

struct EngineBase : ::testing::Test {
    TestDocument document;
    ConstantEngine engine{&document};

    void SetUp() override {
        ASSERT_TRUE(engine.setChannelConfiguration(2, 2));
        ASSERT_TRUE(engine.setSamplingRate(44100));
    }
    void process(Block& block) {
        engine.Process(block.pointers, block.pointers,
                       static_cast<unsigned int>(block.left.size()));
    }
};

} // namespace

TEST_F(EngineBase, SuspendedBlocksAreSilentOnTheConfigurationsOutputsAndSkipTheEngine) {
    engine.suspend(true);
    Block block(100);
    process(block);
    EXPECT_EQ(engine.blocksProcessed, 0);
    EXPECT_EQ(block.left, std::vector<float>(100, 0.0f));
    EXPECT_EQ(block.right, std::vector<float>(100, 0.0f));
    // Mono: the second channel pointer may be null and is not touched.
    ASSERT_TRUE(engine.setChannelConfiguration(1, 1));
    Block mono(16);
    mono.pointers[1] = nullptr;
    process(mono);
    EXPECT_EQ(mono.left[15], 0.0f);
    EXPECT_TRUE(std::isnan(mono.right[0]));
}

TEST_F(EngineBase, ResumeAfterSilencedBlockRampsFromZeroOverSixMillisecondsAtMost) {
    for (const auto& [rate, frames, rampFrames] : {std::array<unsigned int, 3>{22050, 1024, 132},
                                                   {44100, 1024, 264},
                                                   {48000, 1024, 288},
                                                   {96000, 1024, 576},
                                                   {44100, 128, 128}}) {
        ASSERT_TRUE(engine.setSamplingRate(rate));
        engine.suspend(true);
        Block silenced(64), empty(0), block(frames), next(frames);
        process(silenced);
        engine.suspend(false);
        process(empty); // an empty block does not use up the fade-in
        process(block);
        process(next);
        // The ramp as defined: gain starts at exactly 0 and grows by 1/L in single precision.
        const float step = 1.0f / static_cast<float>(rampFrames);
        float gain = 0.0f;
        for (unsigned int i = 0; i < frames; ++i, gain += step) {
            const float expected = i < rampFrames ? gain : 1.0f;
            ASSERT_EQ(block.left[i], expected) << rate << " Hz, sample " << i;
            ASSERT_EQ(block.right[i], expected) << rate << " Hz, sample " << i;
            ASSERT_EQ(next.left[i], 1.0f) << rate << " Hz, next block, sample " << i;
        }
        // One step short of 1; the float sum of L steps carries up to L/2 ulp of error.
        EXPECT_NEAR(block.left[rampFrames - 1], 1.0f - step, 1e-5f);
    }
    // A suspend and resume with no block in between give no ramp.
    engine.suspend(true);
    engine.suspend(false);
    Block block(300);
    process(block);
    EXPECT_EQ(block.left[0], 1.0f);
}

TEST_F(EngineBase, RefusedFormatsKeepThePreviousOne) {
    EXPECT_FALSE(engine.setSamplingRate(32000));
    EXPECT_EQ(engine.getSamplingRate(), 44100u);
    ASSERT_TRUE(engine.setChannelConfiguration(1, 1));
    EXPECT_FALSE(engine.setChannelConfiguration(1, 2));
    EXPECT_EQ(engine.getCurrentConfiguration(), 0u);
    EXPECT_TRUE(engine.setChannelConfiguration(2, 2));
    EXPECT_EQ(engine.getCurrentConfiguration(), 1u);
    EXPECT_EQ(engine.getLatency(), 0.0);
}

TEST_F(EngineBase, RegistersWithTheDocumentAndAppliesOthersChanges) {
    EXPECT_EQ(document.getInterfaces(), (std::vector<orvane::Interface*>{&engine}));
    document.updateParameter(0, AnyValue(0.5f), nullptr);
    document.updateParameter(1, AnyValue(300), &engine);
    EXPECT_EQ(engine.changes, (Changes{{0u, document.getParameter(0)}}));
}

TEST_F(EngineBase, ProcessHoldsTheLockForTheWholeBlock) {
    bool freeDuringBlock = true;
    engine.onProcess = [&] { freeDuringBlock = engine.lockIsFreeForOthers(); };
    Block block(32);
    process(block);
    EXPECT_FALSE(freeDuringBlock);
    EXPECT_TRUE(engine.lockIsFreeForOthers());
}

TEST_F(EngineBase, ProcessDoesNotAllocate) {
    SKIP_WITHOUT_ALLOCATION_COUNTER();
    Block block(512);
    AllocationCounter heap;
    for (int i = 0; i < 4; ++i) {
        engine.suspend(true);
        process(block);
        engine.suspend(false);
        process(block);
        process(block);
    }
    EXPECT_EQ(heap.Calls(), 0);
}

// A processed block holds 1 from the end of its ramp on, and the ramp rises from 0; a silenced
// block is 0 throughout. Run under ThreadSanitizer, this also shows that suspension and format
// changes from the main thread do not race the render thread.
TEST_F(EngineBase, BlocksAreWholeWhileAnotherThreadSuspendsAndResumes) {
    std::atomic<bool> done{false};
    int broken = 0;
    std::thread render([&] {
        Block block(256);
        for (int n = 0; n < 3000; ++n) {
            process(block);
            const std::vector<float>& s = block.left;
            const bool whole = std::is_sorted(s.begin(), s.end()) && s.back() <= 1.0f &&
                               (s.front() == 0.0f || s.front() == 1.0f);
            broken += whole ? 0 : 1;
        }
        done = true;
    });
    for (unsigned int n = 0; !done; ++n) {
        engine.suspend(true);
        engine.setSamplingRate(n % 2 ? 44100 : 48000);
        engine.suspend(false);
        std::this_thread::yield();
    }
    render.join();
    EXPECT_EQ(broken, 0);
}
