#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Base/OutControl.hpp"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "DSP/Processing/Base/FakeProcessing.hpp"
#include "support/QuietAssertions.hpp"

using DSP::InControl;
using DSP::InControlTmpl;
using DSP::OutControl;

namespace {

// An owner that reacts to its controls the way effects do: one handler per value, and one
// handler shared by several controls told apart by id.
class Gain : public FakeProcessing {
public:
    Gain()
        : amount("Amount", this, &Gain::OnAmount), low(0, "Low", this, &Gain::OnBand),
          high(1, "High", this, &Gain::OnBand) {}

    int OnAmount(float value) {
        // The control already holds the new value when the handler runs.
        seenByHandler = amount.GetLastValue();
        applied = value;
        return 7;
    }
    int OnBand(int id, float value) {
        bands.emplace_back(id, value);
        return id + 10;
    }

    float applied = 0.f;
    float seenByHandler = -1.f;
    std::vector<std::pair<int, float>> bands;
    InControlTmpl<Gain> amount;
    InControlTmpl<Gain> low;
    InControlTmpl<Gain> high;
};

} // namespace

TEST(InControl, StoresValueAndPublishesInParent) {
    FakeProcessing owner;
    InControl c("Frequency", &owner);
    EXPECT_EQ(c.GetLastValue(), 0.f);
    EXPECT_EQ(c.DoControl(440.f), 0);
    EXPECT_EQ(c.GetLastValue(), 440.f);
    EXPECT_EQ(&owner.GetInControls().Get("Frequency"), &c);

    InControl hidden("Hidden", &owner, false);
    EXPECT_FALSE(owner.GetInControls().Has("Hidden"));
    EXPECT_EQ(owner.GetInControls().Size(), 1);
}

TEST(InControlTmpl, CallsOwnerAtOnceWithValueOrIdAndValue) {
    Gain g;
    EXPECT_EQ(g.amount.DoControl(0.25f), 7);
    EXPECT_EQ(g.applied, 0.25f);
    EXPECT_EQ(g.seenByHandler, 0.25f);

    EXPECT_EQ(g.high.DoControl(3.f), 11);
    EXPECT_EQ(g.low.DoControl(-2.f), 10);
    EXPECT_EQ(g.bands, (std::vector<std::pair<int, float>>{{1, 3.f}, {0, -2.f}}));
    EXPECT_EQ(g.low.GetLastValue(), -2.f);

    // Published in the owner's registry in construction order.
    EXPECT_EQ(g.GetInControls().Size(), 3);
    EXPECT_EQ(&g.GetInControls().GetByNumber(2), &g.high);
}

TEST(InControlTmpl, WithoutHandlerOnlyStoresAndReturnsZero) {
    Gain g;
    InControlTmpl<Gain> bare("Bare", &g, nullptr);
    EXPECT_EQ(bare.DoControl(5.f), 0);
    EXPECT_EQ(bare.GetLastValue(), 5.f);
    EXPECT_EQ(g.applied, 0.f);
}

TEST(OutControl, SendsToLinksInOrderAndReturnsLastResult) {
    Gain g;
    OutControl out("Out");
    InControl plain("Plain");
    out.AddLink(&g.amount);
    out.AddLink(&g.high);
    out.AddLink(&plain);
    EXPECT_TRUE(out.IsConnected());
    EXPECT_TRUE(plain.IsConnectedTo(out));
    EXPECT_EQ(out.SendControl(0.5f), 0); // the plain control answers last
    EXPECT_EQ(g.applied, 0.5f);
    EXPECT_EQ(g.high.GetLastValue(), 0.5f);
    EXPECT_EQ(plain.GetLastValue(), 0.5f);

    out.RemoveLink(&plain);
    EXPECT_EQ(out.SendControl(0.75f), 11);
    EXPECT_EQ(plain.GetLastValue(), 0.5f);
    EXPECT_FALSE(out.IsConnectedTo(plain));
}

TEST(OutControl, WithoutLinksSendReturnsZeroAndChangesNothing) {
    FakeProcessing owner;
    OutControl out("Level", &owner);
    EXPECT_FALSE(out.IsConnected());
    EXPECT_EQ(out.SendControl(3.f), 0);
    EXPECT_EQ(&owner.GetOutControls().Get("Level"), &out);
}

TEST(OutControl, LinksAreUndoneWhenEitherSideIsDestroyed) {
    OutControl out("Out");
    {
        InControl shortLived("Short");
        out.AddLink(&shortLived);
    }
    EXPECT_FALSE(out.IsConnected());
    EXPECT_EQ(out.SendControl(1.f), 0);

    InControl in("In");
    {
        OutControl shortLived("Short");
        shortLived.AddLink(&in);
    }
    EXPECT_FALSE(out.IsConnectedTo(in)); // and in's destructor has nothing left to undo
}

TEST(ControlRegistry, ControlsLeaveTheRegistryWhenDestroyed) {
    FakeProcessing owner;
    InControl kept("Kept", &owner);
    {
        InControl temporary("Temporary", &owner);
        OutControl out("Out", &owner);
        ASSERT_EQ(owner.GetInControls().Size(), 2);
    }
    EXPECT_EQ(owner.GetInControls().Size(), 1);
    EXPECT_FALSE(owner.GetInControls().Has("Temporary"));
    EXPECT_EQ(owner.GetOutControls().Size(), 0);
}

TEST(ControlRegistry, ControlOutlivingItsOwnerForgetsIt) {
    auto* owner = new FakeProcessing;
    InControl survivor("Survivor", owner);
    delete owner;
    EXPECT_EQ(survivor.GetProcessing(), nullptr);
}

TEST(ControlRegistry, InControlLookupFailuresNameWhatIsAvailable) {
    QuietAssertions quiet;
    FakeProcessing owner;
    InControl a("A", &owner), b("B", &owner), a2("A", &owner);
    const auto& registry = owner.GetInControls();
    EXPECT_EQ(&registry.Get("A"), &a); // the first of equal names
    EXPECT_TRUE(registry.Has("B"));
    EXPECT_FALSE(registry.Has("a")); // names match exactly
    EXPECT_EQ(registry.AvailableNames(), "'A', 'B', 'A'");
    EXPECT_DSP_ASSERT(registry.Get("C"),
                      "name not found in InControls collection: 'C'. In ports availables: "
                      "'A', 'B', 'A'");
    EXPECT_DSP_ASSERT(registry.GetByNumber(-1), "index for Control must be >=0");
    EXPECT_DSP_ASSERT(registry.GetByNumber(3), "index for Control must be < than Size");
    EXPECT_EQ(&registry.GetByNumber(1), &b);

    std::vector<std::string> names;
    for (const InControl* c : registry)
        names.push_back(c->GetName());
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "A"}));
}

TEST(ControlRegistry, OutControlLookupFailures) {
    QuietAssertions quiet;
    FakeProcessing owner;
    OutControl a("A", &owner), b("B", &owner);
    const auto& registry = owner.GetOutControls();
    EXPECT_EQ(&registry.Get("B"), &b);
    EXPECT_DSP_ASSERT(registry.Get("C"), "name not found in OutControls collection: C");
    EXPECT_DSP_ASSERT(registry.GetByNumber(-1), "index for Control must be >=0");
    EXPECT_DSP_ASSERT(registry.GetByNumber(2), "index for Control must be < than Size");
    EXPECT_EQ(&registry.GetByNumber(0), &a);
}

TEST(ControlRegistry, EmptyInControlRegistryListsNoNames) {
    QuietAssertions quiet;
    FakeProcessing owner;
    EXPECT_EQ(owner.GetInControls().AvailableNames(), "");
    EXPECT_DSP_ASSERT(owner.GetInControls().Get("X"),
                      "name not found in InControls collection: 'X'. In ports availables: ");
}
