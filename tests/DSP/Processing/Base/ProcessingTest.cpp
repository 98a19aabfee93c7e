#include "DSP/Processing/Base/Processing.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

#include "DSP/Processing/Base/FakeProcessing.hpp"
#include "DSP/Processing/Base/TopLevelProcessing.hpp"
#include "support/QuietAssertions.hpp"

using DSP::TopLevelProcessing;

namespace {

bool InTopLevel(const DSP::Processing* p) {
    const auto& listed = TopLevelProcessing::GetInstance().GetChildren();
    return std::find(listed.begin(), listed.end(), p) != listed.end();
}

// A processing whose class name cannot be read, so that its Start() throws: this is how a
// composite meets a child whose start throws.
class NamelessProcessing : public FakeProcessing {
public:
    using FakeProcessing::FakeProcessing;
    const char* GetDSPClassName() const override { throw std::runtime_error("no name"); }
};

const char* const kIntoItself = "ProcessingComposite::Insert - a Processing can't be inserted "
                                "into itself or into one of its descendants";

} // namespace

TEST(ProcessingConfigure, ResultAndStatusTellEachOutcome) {
    // One object through every outcome in turn: a success after a failure resets the status.
    const std::pair<FakeConfig, const char*> cases[] = {
        {Outcome(false), " Configuration failed."},
        {Outcome(true), "Ready to be started"},
        {Outcome(false, "FFT size 1000 is not a power of two."),
         "FFT size 1000 is not a power of two. Configuration failed."},
        {Outcome(true, "", "bad window"),
         "Exception thrown during ConcreteConfigure:\nbad window\nConfiguration failed."},
        {Outcome(true), "Ready to be started"}};
    FakeProcessing p;
    for (const auto& [cfg, status] : cases) {
        const bool ok = std::string(status) == "Ready to be started";
        EXPECT_EQ(p.Configure(cfg), ok) << status;
        EXPECT_EQ(p.IsConfigured(), ok) << status;
        EXPECT_EQ(p.GetStatus(), status);
    }
    // The top level lists a parentless object without becoming its parent.
    EXPECT_TRUE(InTopLevel(&p));
    EXPECT_EQ(p.GetParent(), nullptr);
}

TEST(ProcessingLifecycle, StartAndStopOnlyExtendTheStatus) {
    FakeProcessing unconfigured;
    unconfigured.Start();
    EXPECT_EQ(unconfigured.GetStatus(), "Fake::Start() Object not ready");
    FakeProcessing p;
    ASSERT_TRUE(p.Configure(FakeConfig{}));
    p.startFailure = "no buffers";
    p.stopFailure = "still busy";
    EXPECT_NO_THROW(p.Start());
    EXPECT_NO_THROW(p.Stop());
    EXPECT_EQ(p.GetStatus(), "Ready to be startedStart(): Object failed to start properly.\n"
                             "no buffersStop(): Object failed to stop properly.\nstill busy");
    EXPECT_TRUE(p.IsConfigured());
}

// A child is listed once under its one parent, and neither side of the link may keep a
// dangling pointer.
TEST(ProcessingTree, ChildrenMoveBetweenParentsAndLeaveNoPointerBehind) {
    FakeComposite first, second;
    FakeProcessing child;
    first.Insert(child);
    first.Insert(child);
    EXPECT_EQ(first.GetChildren().size(), 1u);
    child.SetParent(&second);
    EXPECT_TRUE(first.GetChildren().empty());
    EXPECT_EQ(second.GetChildren(), (std::vector<DSP::Processing*>{&child}));
    const DSP::Processing* configured = nullptr;
    {
        FakeComposite shortLived;
        FakeProcessing underFirst, loose;
        underFirst.SetParent(&first);
        ASSERT_TRUE(loose.Configure(FakeConfig{}));
        configured = &loose;
        ASSERT_TRUE(InTopLevel(configured));
        child.SetParent(&shortLived);
    }
    EXPECT_TRUE(first.GetChildren().empty());
    EXPECT_TRUE(second.GetChildren().empty());
    EXPECT_FALSE(InTopLevel(configured));
    EXPECT_EQ(child.GetParent(), nullptr);
    child.SetParent(nullptr);
    EXPECT_EQ(child.GetParent(), &TopLevelProcessing::GetInstance());
}

TEST(ProcessingTree, RefusedParentsLeaveTheTreeUnchanged) {
    QuietAssertions quiet;
    FakeComposite parent, inner;
    FakeProcessing child, plain;
    child.SetParent(&parent);
    EXPECT_DSP_ASSERT(child.SetParent(&plain), "Setting a non ProcessingComposite as Parent");
    EXPECT_EQ(child.GetParent(), &parent);
    inner.SetParent(&parent);
    EXPECT_DSP_ASSERT(parent.SetParent(&inner), kIntoItself);
    EXPECT_DSP_ASSERT(parent.Insert(parent), kIntoItself);
    EXPECT_EQ(parent.GetParent(), nullptr);
    EXPECT_EQ(parent.GetChildren(), (std::vector<DSP::Processing*>{&child, &inner}));
    EXPECT_TRUE(inner.GetChildren().empty());
}

TEST(ProcessingComposite, StartsChildrenInOrderAndStopsTheStartedOnesWhenOneFails) {
    Journal journal;
    FakeComposite parent("parent", &journal);
    FakeProcessing a("a", &journal), b("b", &journal);
    parent.Insert(b);
    parent.Insert(a);
    parent.Start();
    parent.Stop();
    NamelessProcessing failing("x", &journal);
    parent.Insert(failing);
    parent.Insert(a);
    ASSERT_TRUE(parent.Configure(FakeConfig{}));
    EXPECT_NO_THROW(parent.Start());
    EXPECT_EQ(journal,
              (Journal{"start parent", "start b", "start a", "stop parent", "stop b", "stop a",
                       "start parent", "start b", "start a", "stop b", "stop a"}));
    EXPECT_EQ(parent.GetStatus(),
              "Ready to be startedStart(): Object failed to start properly.\nno name");
}

TEST(TopLevelProcessing, RefusesConfigurationDoAndAParent) {
    TopLevelProcessing& top = TopLevelProcessing::GetInstance();
    QuietAssertions quiet;
    EXPECT_FALSE(top.Configure(FakeConfig{}));
    EXPECT_EQ(top.GetStatus(), "Exception thrown during ConcreteConfigure:\n"
                               "Singleton TopLevelProcessing can't be configured\n"
                               "Configuration failed.");
    EXPECT_FALSE(top.HasChild(top)); // configuring it must not make it its own child
    EXPECT_DSP_ASSERT(top.Do(), "TopLevelProcessing::Do(): Not implemented\n");
    EXPECT_DSP_ASSERT(top.SetParent(nullptr), kIntoItself);
    EXPECT_EQ(top.GetParent(), nullptr);
}
