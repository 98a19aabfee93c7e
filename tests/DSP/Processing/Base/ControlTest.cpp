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
    int OnAmount(float value) {
        seenByHandler = amount.GetLastValue(); // the control already holds the new value
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
    InControlTmpl<Gain> amount{"Amount", this, &Gain::OnAmount};
    InControlTmpl<Gain> low{0, "Low", this, &Gain::OnBand};
    InControlTmpl<Gain> high{1, "High", this, &Gain::OnBand};
    InControlTmpl<Gain> bare{"Bare", this, nullptr};
};

} // namespace

TEST(InControlTmpl, CallsTheOwnerAtOnceWithValueOrIdAndValue) {
    Gain g;
    EXPECT_EQ(g.amount.DoControl(0.25f), 7);
    EXPECT_EQ(g.applied, 0.25f);
    EXPECT_EQ(g.seenByHandler, 0.25f);
    EXPECT_EQ(g.high.DoControl(3.f), 11);
    EXPECT_EQ(g.low.DoControl(-2.f), 10);
    EXPECT_EQ(g.bands, (std::vector<std::pair<int, float>>{{1, 3.f}, {0, -2.f}}));
    // Without a handler the value is only stored.
    EXPECT_EQ(g.bare.DoControl(5.f), 0);
    EXPECT_EQ(g.bare.GetLastValue(), 5.f);
    EXPECT_EQ(g.applied, 0.25f);
}

TEST(OutControl, SendsToLinksInOrderAndReturnsTheLastResult) {
    Gain g;
    OutControl out("Out");
    EXPECT_EQ(out.SendControl(3.f), 0); // no links: nothing changes
    EXPECT_EQ(g.applied, 0.f);
    InControl plain("Plain");
    out.AddLink(&g.amount);
    out.AddLink(&g.high);
    out.AddLink(&plain);
    EXPECT_EQ(out.SendControl(0.5f), 0); // the plain control answers last
    EXPECT_EQ(g.applied, 0.5f);
    EXPECT_EQ(g.high.GetLastValue(), 0.5f);
    EXPECT_EQ(plain.GetLastValue(), 0.5f);
    out.RemoveLink(&plain);
    EXPECT_EQ(out.SendControl(0.75f), 11);
    EXPECT_EQ(plain.GetLastValue(), 0.5f);
}

// Neither links nor registries may keep a pointer to a destroyed control or owner.
TEST(Controls, DestroyedControlsAndOwnersLeaveNoPointerBehind) {
    OutControl out("Out");
    InControl in("In");
    {
        InControl shortIn("Short");
        OutControl shortOut("Short");
        out.AddLink(&shortIn);
        shortOut.AddLink(&in);
    }
    EXPECT_FALSE(out.IsConnected());
    EXPECT_EQ(out.SendControl(1.f), 0);

    auto* owner = new FakeProcessing;
    InControl survivor("Survivor", owner);
    {
        InControl temporary("Temporary", owner);
        OutControl published("Out", owner);
        ASSERT_EQ(owner->GetInControls().Size(), 2);
    }
    EXPECT_EQ(owner->GetInControls().Size(), 1);
    EXPECT_EQ(owner->GetOutControls().Size(), 0);
    delete owner;
    EXPECT_EQ(survivor.GetProcessing(), nullptr);
}

TEST(ControlRegistry, LookupsFindTheFirstExactNameAndFailWithTheirMessages) {
    QuietAssertions quiet;
    FakeProcessing owner, empty;
    EXPECT_DSP_ASSERT(empty.GetInControls().Get("X"),
                      "name not found in InControls collection: 'X'. In ports availables: ");
    InControl a("A", &owner), b("B", &owner), a2("A", &owner), hidden("Hidden", &owner, false);
    OutControl outA("A", &owner);
    const auto& in = owner.GetInControls();
    const auto& outs = owner.GetOutControls();
    EXPECT_EQ(&in.Get("A"), &a);
    EXPECT_FALSE(in.Has("a") || in.Has("Hidden"));
    EXPECT_EQ(&in.GetByNumber(1), &b);
    EXPECT_DSP_ASSERT(in.Get("C"), "name not found in InControls collection: 'C'. In ports "
                                   "availables: 'A', 'B', 'A'");
    EXPECT_DSP_ASSERT(outs.Get("C"), "name not found in OutControls collection: C");
    EXPECT_DSP_ASSERT(in.GetByNumber(-1), "index for Control must be >=0");
    EXPECT_DSP_ASSERT(outs.GetByNumber(-1), "index for Control must be >=0");
    EXPECT_DSP_ASSERT(in.GetByNumber(3), "index for Control must be < than Size");
    EXPECT_DSP_ASSERT(outs.GetByNumber(1), "index for Control must be < than Size");
}
