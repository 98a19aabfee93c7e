#include "DSP/Misc/IndexArray.hpp"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(IndexArrayTest, StartsAsIdentityAndResetRestoresIt) {
    DSP::IndexArray a(4);
    EXPECT_EQ(a.GetStep(), 1);
    a[1] = -1;
    a.AddElem(-1);
    a.Reset();
    ASSERT_EQ(a.Size(), 5);
    for (int i = 0; i < a.Size(); ++i)
        EXPECT_EQ(a[i], i);
}

TEST(IndexArrayTest, DeepCopyIsAnIndexArray) {
    const DSP::IndexArray a(3);
    const std::unique_ptr<DSP::Component> copy(a.DeepCopy());
    const auto* indices = dynamic_cast<const DSP::IndexArray*>(copy.get());
    ASSERT_NE(indices, nullptr);
    EXPECT_EQ(indices->Size(), 3);
    EXPECT_EQ((*indices)[2], 2);
}

} // namespace
