#include "DSP/Processing/Base/Processing.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

#include "DSP/Processing/Base/FakeProcessing.hpp"
#include "DSP/Processing/Base/TopLevelProcessing.hpp"
#include "support/QuietAssertions.hpp"

using DSP::TopLevelProcessing;

namespace {

FakeConfig Refusing(std::string explanation = "") {
    FakeConfig cfg;
    cfg.accept = false;
    cfg.explanation = std::move(explanation);
    return cfg;
}

FakeConfig Throwing(std::string text) {
    FakeConfig cfg;
    cfg.throwText = std::move(text);
    return cfg;
}

bool InTopLevel(const DSP::Processing& p) {
    return TopLevelProcessing::GetInstance().HasChild(p);
}

// A processing whose class name cannot be read: an unconfigured one throws out of Start(),
// which is how a composite meets a child whose start throws.
class NamelessProcessing : public FakeProcessing {
public:
    using FakeProcessing::FakeProcessing;
    const char* GetDSPClassName() const override { throw std::runtime_error("no name"); }
};

} // namespace

TEST(ProcessingConfigure, SuccessMakesObjectReadyAndListsItInTopLevel) {
    FakeProcessing p;
    EXPECT_FALSE(p.IsConfigured());
    EXPECT_EQ(p.GetStatus(), "");

    EXPECT_TRUE(p.Configure(FakeConfig{}));
    EXPECT_TRUE(p.IsConfigured());
    EXPECT_EQ(p.GetStatus(), "Ready to be started");
    // The top level lists it without becoming its parent.
    EXPECT_TRUE(InTopLevel(p));
    EXPECT_EQ(p.GetParent(), nullptr);
}

TEST(ProcessingConfigure, RefusalReturnsFalseAndExplainsInStatus) {
    FakeProcessing p;
    EXPECT_FALSE(p.Configure(Refusing()));
    EXPECT_FALSE(p.IsConfigured());
    EXPECT_EQ(p.GetStatus(), " Configuration failed.");

    EXPECT_FALSE(p.Configure(Refusing("FFT size 1000 is not a power of two.")));
    EXPECT_EQ(p.GetStatus(), "FFT size 1000 is not a power of two. Configuration failed.");
}

TEST(ProcessingConfigure, ExceptionIsCaughtAndReportedInStatus) {
    FakeProcessing p;
    EXPECT_FALSE(p.Configure(Throwing("bad window")));
    EXPECT_FALSE(p.IsConfigured());
    EXPECT_EQ(p.GetStatus(),
              "Exception thrown during ConcreteConfigure:\nbad window\nConfiguration failed.");
}

TEST(ProcessingConfigure, SuccessAfterFailureResetsStatus) {
    FakeProcessing p;
    ASSERT_FALSE(p.Configure(Throwing("bad window")));
    EXPECT_TRUE(p.Configure(FakeConfig{}));
    EXPECT_TRUE(p.IsConfigured());
    EXPECT_EQ(p.GetStatus(), "Ready to be started");
}

TEST(ProcessingConfigure, ObjectWithParentStaysUnderIt) {
    FakeComposite parent;
    FakeProcessing child;
    child.SetParent(&parent);
    ASSERT_TRUE(child.Configure(FakeConfig{}));
    EXPECT_EQ(child.GetParent(), &parent);
    EXPECT_FALSE(InTopLevel(child));
}

TEST(ProcessingLifecycle, StartOfUnconfiguredObjectIsNotedButRuns) {
    Journal journal;
    FakeProcessing p("p", &journal);
    p.Start();
    EXPECT_EQ(p.GetStatus(), "Fake::Start() Object not ready");
    EXPECT_EQ(journal, (Journal{"start p"}));
}

TEST(ProcessingLifecycle, StartOfConfiguredObjectKeepsReadyStatus) {
    Journal journal;
    FakeProcessing p("p", &journal);
    ASSERT_TRUE(p.Configure(FakeConfig{}));
    p.Start();
    p.Stop();
    EXPECT_EQ(p.GetStatus(), "Ready to be started");
    EXPECT_EQ(journal, (Journal{"start p", "stop p"}));
}

TEST(ProcessingLifecycle, StartAndStopFailuresOnlyExtendStatus) {
    FakeProcessing p;
    ASSERT_TRUE(p.Configure(FakeConfig{}));
    p.startFailure = "no buffers";
    p.stopFailure = "still busy";
    EXPECT_NO_THROW(p.Start());
    EXPECT_EQ(p.GetStatus(), "Ready to be startedStart(): Object failed to start properly.\n"
                             "no buffers");
    EXPECT_NO_THROW(p.Stop());
    EXPECT_EQ(p.GetStatus(), "Ready to be startedStart(): Object failed to start properly.\n"
                             "no buffersStop(): Object failed to stop properly.\nstill busy");
    // Neither changes the configured flag; a new configuration clears the status.
    EXPECT_TRUE(p.IsConfigured());
    EXPECT_TRUE(p.Configure(FakeConfig{}));
    EXPECT_EQ(p.GetStatus(), "Ready to be started");
}

TEST(ProcessingTree, DestroyedObjectLeavesParentAndTopLevel) {
    FakeComposite parent;
    {
        FakeProcessing child;
        child.SetParent(&parent);
        ASSERT_TRUE(parent.HasChild(child));
    }
    EXPECT_TRUE(parent.GetChildren().empty());

    const DSP::Processing* address = nullptr;
    {
        FakeProcessing loose;
        ASSERT_TRUE(loose.Configure(FakeConfig{}));
        address = &loose;
        ASSERT_TRUE(InTopLevel(loose));
    }
    const auto& listed = TopLevelProcessing::GetInstance().GetChildren();
    EXPECT_EQ(std::find(listed.begin(), listed.end(), address), listed.end());
}

TEST(ProcessingTree, CompositeDestroyedFirstLeavesChildrenWithoutParent) {
    FakeProcessing child;
    {
        FakeComposite parent;
        child.SetParent(&parent);
    }
    EXPECT_EQ(child.GetParent(), nullptr);
}

TEST(ProcessingTree, InsertingTheSameChildTwiceKeepsOneEntry) {
    FakeComposite parent;
    FakeProcessing child;
    parent.Insert(child);
    parent.Insert(child);
    EXPECT_EQ(parent.GetChildren().size(), 1u);
    EXPECT_EQ(child.GetParent(), &parent);

    parent.Remove(child);
    EXPECT_TRUE(parent.GetChildren().empty());
    EXPECT_EQ(child.GetParent(), nullptr);
    parent.Remove(child); // absent: nothing happens
    EXPECT_TRUE(parent.GetChildren().empty());
}

TEST(ProcessingTree, SetParentMovesChildBetweenComposites) {
    FakeComposite first, second;
    FakeProcessing child;
    child.SetParent(&first);
    child.SetParent(&second);
    EXPECT_TRUE(first.GetChildren().empty());
    EXPECT_EQ(second.GetChildren(), (std::vector<DSP::Processing*>{&child}));
    EXPECT_EQ(child.GetParent(), &second);

    child.SetParent(nullptr);
    EXPECT_EQ(child.GetParent(), &TopLevelProcessing::GetInstance());
    EXPECT_TRUE(second.GetChildren().empty());
    EXPECT_TRUE(InTopLevel(child));
}

TEST(ProcessingTree, SetParentToNonCompositeFailsAndKeepsParent) {
    QuietAssertions quiet;
    FakeComposite parent;
    FakeProcessing child, plain;
    child.SetParent(&parent);
    EXPECT_DSP_ASSERT(child.SetParent(&plain), "Setting a non ProcessingComposite as Parent");
    EXPECT_EQ(child.GetParent(), &parent);
    EXPECT_TRUE(parent.HasChild(child));
}

TEST(ProcessingTree, CompositeCannotBecomeItsOwnDescendant) {
    QuietAssertions quiet;
    FakeComposite outer, inner;
    inner.SetParent(&outer);
    const char* message = "ProcessingComposite::Insert - a Processing can't be inserted into "
                          "itself or into one of its descendants";
    EXPECT_DSP_ASSERT(outer.SetParent(&inner), message);
    EXPECT_DSP_ASSERT(outer.Insert(outer), message);
    EXPECT_EQ(outer.GetParent(), nullptr);
    EXPECT_TRUE(inner.GetChildren().empty());
}

TEST(ProcessingComposite, StartsAndStopsChildrenInInsertionOrder) {
    Journal journal;
    FakeComposite parent("parent", &journal);
    FakeProcessing a("a", &journal), b("b", &journal);
    parent.Insert(b);
    parent.Insert(a);
    parent.Start();
    parent.Stop();
    EXPECT_EQ(journal,
              (Journal{"start parent", "start b", "start a", "stop parent", "stop b", "stop a"}));
}

TEST(ProcessingComposite, ChildStartFailureStopsEarlierChildrenAndIsReported) {
    Journal journal;
    FakeComposite parent("parent", &journal);
    FakeProcessing a("a", &journal), c("c", &journal);
    NamelessProcessing b("b", &journal);
    parent.Insert(a);
    parent.Insert(b);
    parent.Insert(c);
    ASSERT_TRUE(parent.Configure(FakeConfig{}));
    EXPECT_NO_THROW(parent.Start());
    EXPECT_EQ(journal, (Journal{"start parent", "start a", "stop a"}));
    EXPECT_EQ(parent.GetStatus(),
              "Ready to be startedStart(): Object failed to start properly.\nno name");
}

TEST(TopLevelProcessing, IsOneParentlessInstanceThatRefusesConfiguration) {
    TopLevelProcessing& top = TopLevelProcessing::GetInstance();
    EXPECT_EQ(&top, &TopLevelProcessing::GetInstance());
    EXPECT_STREQ(top.GetDSPClassName(), "TopLevelProcessing");
    EXPECT_EQ(top.GetParent(), nullptr);

    QuietAssertions quiet;
    EXPECT_FALSE(top.Configure(FakeConfig{}));
    EXPECT_EQ(top.GetStatus(), "Exception thrown during ConcreteConfigure:\n"
                               "Singleton TopLevelProcessing can't be configured\n"
                               "Configuration failed.");
    // Configuring it must not make it its own child.
    EXPECT_FALSE(top.HasChild(top));
    EXPECT_DSP_ASSERT(top.Do(), "TopLevelProcessing::Do(): Not implemented\n");
    EXPECT_DSP_ASSERT(top.SetParent(nullptr), "ProcessingComposite::Insert - a Processing "
                                              "can't be inserted into itself or into one of "
                                              "its descendants");
    EXPECT_STREQ(top.GetConfig().GetDSPClassName(), "TopLevelProcessingConfig");
}
