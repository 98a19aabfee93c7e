#include "orvane/Audio.hpp"

#include "orvane/Observers.hpp"
#include "support/AllocationCounter.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <future>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

using orvane::AnyValue;

namespace {

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
    bool lockIsFreeForOthers() {
        return std::async(std::launch::async,
                          [this] {
                              const bool taken = m_lock.tryEnter();
                              if (taken)
                                  m_lock.exit();
                              return taken;
                          })
            .get();
    }

    std::atomic<int> blocksProcessed{0};
    std::function<void()> onProcess;
    std::vector<std::pair<unsigned int, const orvane::Parameter*>> changes;
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
    // One silenced block, then resume.
    void silenceOneBlock(unsigned int frames = 64) {
        engine.suspend(true);
        Block silenced(frames);
        process(silenced);
        engine.suspend(false);
    }
};

// The ramp as defined: gain starts at 0 and grows by 1/L in single precision per sample.
std::vector<float> ramp(unsigned int length) {
    std::vector<float> gains(length);
    const float step = 1.0f / static_cast<float>(length);
    float gain = 0.0f;
    for (float& g : gains) {
        g = gain;
        gain += step;
    }
    return gains;
}

} // namespace

TEST_F(EngineBase, SuspendedBlocksAreSilentOnEveryOutputAndSkipTheEngine) {
    engine.suspend(true);
    EXPECT_TRUE(engine.isSuspended());
    Block block(100);
    process(block);
    EXPECT_EQ(engine.blocksProcessed, 0);
    for (unsigned int i = 0; i < 100; ++i) {
        ASSERT_EQ(block.left[i], 0.0f) << i;
        ASSERT_EQ(block.right[i], 0.0f) << i;
    }
}

TEST_F(EngineBase, MonoConfigurationLeavesTheSecondChannelAlone) {
    ASSERT_TRUE(engine.setChannelConfiguration(1, 1));
    engine.suspend(true);
    Block block(16);
    block.pointers[1] = nullptr;
    process(block);
    EXPECT_EQ(block.left[15], 0.0f);
    EXPECT_TRUE(std::isnan(block.right[0]));
}

TEST_F(EngineBase, ResumeAfterSilencedBlockRampsFromZeroOverSixMilliseconds) {
    const struct {
        unsigned int rate, rampFrames;
    } rates[] = {{22050, 132}, {44100, 264}, {48000, 288}, {96000, 576}};
    for (const auto& r : rates) {
        ASSERT_TRUE(engine.setSamplingRate(r.rate));
        silenceOneBlock();
        Block block(1024);
        process(block);
        const std::vector<float> gains = ramp(r.rampFrames);
        EXPECT_EQ(block.left[0], 0.0f);
        EXPECT_EQ(block.left[1], 1.0f / static_cast<float>(r.rampFrames));
        for (unsigned int i = 0; i < 1024; ++i) {
            const float expected = i < r.rampFrames ? gains[i] : 1.0f;
            ASSERT_EQ(block.left[i], expected) << r.rate << " Hz, sample " << i;
            ASSERT_EQ(block.right[i], expected) << r.rate << " Hz, sample " << i;
        }
        // One step short of 1; the float sum of L steps carries up to L/2 ulp of error.
        EXPECT_NEAR(block.left[r.rampFrames - 1], 1.0f - 1.0f / r.rampFrames, 1e-5f);

        Block next(1024);
        process(next);
        for (unsigned int i = 0; i < 1024; ++i)
            ASSERT_EQ(next.left[i], 1.0f) << r.rate << " Hz, next block, sample " << i;
    }
}

TEST_F(EngineBase, ShortBlockCarriesTheWholeRamp) {
    silenceOneBlock();
    Block first(128), second(128);
    process(first);
    process(second);
    const std::vector<float> gains = ramp(128);
    for (unsigned int i = 0; i < 128; ++i) {
        ASSERT_EQ(first.left[i], gains[i]) << i;
        ASSERT_EQ(second.left[i], 1.0f) << i;
    }
}

TEST_F(EngineBase, SuspendAndResumeWithoutABlockBetweenGiveNoRamp) {
    engine.suspend(true);
    engine.suspend(false);
    Block block(300);
    process(block);
    EXPECT_EQ(block.left[0], 1.0f);
    EXPECT_EQ(block.right[0], 1.0f);
}

TEST_F(EngineBase, EmptyBlockDoesNotUseUpTheFadeIn) {
    silenceOneBlock();
    Block empty(0), block(300);
    process(empty);
    process(block);
    EXPECT_EQ(block.left[0], 0.0f);
    EXPECT_EQ(block.left[264], 1.0f);
}

TEST_F(EngineBase, RefusedFormatsKeepThePreviousOne) {
    EXPECT_FALSE(engine.setSamplingRate(32000));
    EXPECT_EQ(engine.getSamplingRate(), 44100u);
    EXPECT_TRUE(engine.setSamplingRate(48000));
    EXPECT_EQ(engine.getSamplingRate(), 48000u);

    ASSERT_TRUE(engine.setChannelConfiguration(1, 1));
    EXPECT_EQ(engine.getCurrentConfiguration(), 0u);
    EXPECT_FALSE(engine.setChannelConfiguration(1, 2));
    EXPECT_EQ(engine.getCurrentConfiguration(), 0u);
    EXPECT_TRUE(engine.setChannelConfiguration(2, 2));
    EXPECT_EQ(engine.getCurrentConfiguration(), 1u);

    engine.setMaxBufferSize(512);
    EXPECT_EQ(engine.getMaxBufferSize(), 512u);
    EXPECT_EQ(engine.getLatency(), 0.0);
}

TEST_F(EngineBase, RegistersWithTheDocumentAndAppliesOthersChanges) {
    ASSERT_EQ(document.getInterfaces().size(), 1u);
    EXPECT_EQ(document.getInterfaces()[0], &engine);

    document.updateParameter(0, AnyValue(0.5f), nullptr);
    document.updateParameter(1, AnyValue(300), &engine);
    ASSERT_EQ(engine.changes.size(), 1u);
    EXPECT_EQ(engine.changes[0].first, 0u);
    EXPECT_EQ(engine.changes[0].second, document.getParameter(0));
}

TEST_F(EngineBase, CommandsApplyTheirUpdateWhenExecuted) {
    orvane::Audio::SimpleCommandFactory factory;
    std::unique_ptr<orvane::Command> command(
        factory.getCommand(2, *document.getParameter(2), &engine));
    EXPECT_TRUE(engine.changes.empty());
    command->Execute();
    ASSERT_EQ(engine.changes.size(), 1u);
    EXPECT_EQ(engine.changes[0].first, 2u);
    EXPECT_EQ(engine.changes[0].second, document.getParameter(2));
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
    process(block); // nothing is allocated lazily either, but warm up all the same
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
// block is 0 throughout.
bool isWhole(const Block& block) {
    const std::vector<float>& s = block.left;
    if (s.front() == 0.0f && s.back() == 0.0f)
        return std::all_of(s.begin(), s.end(), [](float x) { return x == 0.0f; });
    for (std::size_t i = 1; i < s.size(); ++i)
        if (!(s[i] >= s[i - 1] && s[i] <= 1.0f))
            return false;
    return s.front() == 0.0f || s.front() == 1.0f;
}

// Run under ThreadSanitizer, this also shows that suspension and format changes from the main
// thread do not race the render thread.
TEST_F(EngineBase, BlocksAreWholeWhileAnotherThreadSuspendsAndResumes) {
    std::atomic<bool> done{false};
    int broken = 0;
    std::thread render([&] {
        Block block(256);
        for (int n = 0; n < 3000; ++n) {
            process(block);
            broken += isWhole(block) ? 0 : 1;
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
