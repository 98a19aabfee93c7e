#pragma once

#include "DSP/Misc/Array.hpp"
#include "DSP/Misc/Err.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Base/Processing.hpp"
#include "Quorvel/Transformations/TokenDelayConfig.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace DSP {

namespace TokenDelayDetail {

// Makes token empty, like a slot that was never written: a default-constructed token. Arrays
// drop to zero elements but keep their storage, so for them that path never allocates.
template <class T> void MakeEmpty(T& token) {
    token = T();
}
template <class E> void MakeEmpty(Array<E>& token) {
    token.SetSize(0);
}

} // namespace TokenDelayDetail

// A delay line that works in whole tokens (one per hop: a spectrum, or an array of
// magnitudes, phases or complex values) rather than in samples.
//
// The line is a ring of MaxDelay slots, each empty until first written; configuring empties
// it. Each Do(in, out) stores in and returns the token stored d calls earlier, d being the
// "Delay Control" value (in tokens) truncated and limited to 0 … capacity; 0 and the capacity
// both return the token just stored. A change of delay moves only the write position, so it
// skips or repeats tokens instead of stretching them.
//
// Real time: Configure (and PrepareTokens) size the ring; Do, Push and Peek only copy into
// slots and never allocate as long as the tokens keep the shape the slots were prepared with
// (PrepareTokens). The control may be written from any thread (atomic value); everything
// else belongs to the thread that runs Do.
template <class T> class TokenDelay : public Processing {
public:
    TokenDelay() = default;
    explicit TokenDelay(const TokenDelayConfig& config) { Configure(config); }

    const char* GetDSPClassName() const override { return "TokenDelay"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    // The line runs only through its typed Do: this form always throws.
    bool Do() override {
        DSP_CHECK(false,
                  "TokenDelay : the Do() with parameters should be used instead of this one.");
        return false;
    }

    // Stores in and copies the delayed token into out (an empty token while that slot has
    // not been written yet). Returns true.
    bool Do(const T& in, T& out) {
        const T* delayed = Push(in);
        if (delayed == nullptr)
            TokenDelayDetail::MakeEmpty(out);
        else if (delayed != &out)
            out = *delayed;
        return true;
    }

    // Applies a pending change of "Delay Control", then copies the token at the read position
    // into out without moving: for a delay of 1 or more, the token the next Do returns.
    void ReadCurrentSampleNoAdvance(T& out) {
        const T* current = Peek();
        if (current == nullptr)
            TokenDelayDetail::MakeEmpty(out);
        else
            out = *current;
    }

    // Do without the copy: stores in, advances, and returns the delayed token, or null while
    // its slot is still empty. The pointer is valid until the next Push. An unconfigured line
    // returns &in.
    const T* Push(const T& in) {
        if (mRing.empty())
            return &in;
        ApplyDelayControl();
        mRing[mWritePos] = in;
        mFilled[mWritePos] = 1;
        mWritePos = Next(mWritePos);
        const std::size_t read = mReadPos;
        mReadPos = Next(mReadPos);
        return mFilled[read] ? &mRing[read] : nullptr;
    }

    // ReadCurrentSampleNoAdvance without the copy: null while the slot is still empty.
    const T* Peek() {
        if (mRing.empty())
            return nullptr;
        ApplyDelayControl();
        return mFilled[mReadPos] ? &mRing[mReadPos] : nullptr;
    }

    // Gives every slot the shape (and storage) of prototype and empties the line, so that
    // storing tokens of that shape never allocates. Not for the render thread.
    void PrepareTokens(const T& prototype) {
        for (T& slot : mRing)
            slot = prototype;
        std::fill(mFilled.begin(), mFilled.end(), 0);
    }

    InControl& GetDelayControl() { return mDelayControl; }
    std::uint32_t GetCapacity() const { return static_cast<std::uint32_t>(mRing.size()); }
    // The delay in effect since the last Do, Push or Peek (in tokens).
    std::uint32_t GetCurrentDelay() const { return mCurrentDelay; }

protected:
    // Sizes the ring to MaxDelay empty slots and sets the initial delay. Refuses a
    // configuration of another type and a capacity of 0 (a ring without slots cannot delay).
    bool ConcreteConfigure(const ProcessingConfig& config) override {
        const auto* tokenConfig = dynamic_cast<const TokenDelayConfig*>(&config);
        if (tokenConfig == nullptr) {
            AddConfigErrorMessage("TokenDelay: the configuration is not a TokenDelayConfig");
            return false;
        }
        if (tokenConfig->GetMaxDelay() == 0) {
            AddConfigErrorMessage("TokenDelay: MaxDelay must be at least one token");
            return false;
        }
        const std::size_t capacity = tokenConfig->GetMaxDelay();
        if (mRing.size() != capacity)
            mRing.assign(capacity, T());
        mFilled.assign(capacity, 0);
        mConfig = *tokenConfig;
        mCurrentDelay = tokenConfig->GetInitialDelay() <= capacity
                            ? tokenConfig->GetInitialDelay()
                            : static_cast<std::uint32_t>(capacity);
        mPreviousDelay = mCurrentDelay;
        mWritePos = 0;
        mReadPos = (capacity - mCurrentDelay) % capacity;
        return true;
    }

private:
    std::size_t Next(std::size_t pos) const { return pos + 1 == mRing.size() ? 0 : pos + 1; }

    // The control value truncated toward zero and limited to 0 … capacity (NaN counts as 0).
    std::uint32_t RequestedDelay() const {
        const float value = mDelayControl.GetLastValue();
        const auto capacity = static_cast<std::uint32_t>(mRing.size());
        if (!(value > 0.f))
            return 0;
        if (value >= static_cast<float>(capacity))
            return capacity;
        return static_cast<std::uint32_t>(value);
    }

    // A new delay moves the write position to read position + delay; the read position stays.
    void ApplyDelayControl() {
        mPreviousDelay = mCurrentDelay;
        const std::uint32_t delay = RequestedDelay();
        if (delay != mPreviousDelay) {
            mWritePos = mReadPos + delay;
            if (mWritePos >= mRing.size())
                mWritePos -= mRing.size();
        }
        mCurrentDelay = delay;
    }

    InPort<T> mInput{"In", this};
    OutPort<T> mOutput{"Out", this};
    InControl mDelayControl{"Delay Control", this};
    TokenDelayConfig mConfig;
    std::vector<T> mRing;
    // One flag per slot: set once the slot has been written since the last configuration.
    std::vector<unsigned char> mFilled;
    std::size_t mReadPos = 0;
    std::size_t mWritePos = 0;
    std::uint32_t mCurrentDelay = 0;
    std::uint32_t mPreviousDelay = 0;
};

} // namespace DSP
