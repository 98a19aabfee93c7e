#pragma once

#include <algorithm>
#include <vector>

#include "DSP/Data/CopyReusingStorage.hpp"
#include "DSP/Misc/Err.hpp"

namespace DSP {

/// The storage of a stream: LogicalSize() tokens used circularly, followed by a phantom zone
/// of PhantomSize() tokens that mirrors the first PhantomSize() tokens. Every window that
/// starts inside the logical part and is no longer than the phantom zone is therefore
/// contiguous in memory. Invariant: PhantomSize() <= LogicalSize().
/// The buffer grows only (at configuration time); Touch keeps the mirror after each write.
template <typename T> class PhantomBuffer {
public:
    unsigned LogicalSize() const { return mLogicalSize; }
    unsigned PhantomSize() const { return static_cast<unsigned>(mTokens.size()) - mLogicalSize; }

    T* Data() { return mTokens.data(); }
    const T* Data() const { return mTokens.data(); }
    T& operator[](std::size_t i) { return mTokens[i]; }
    const T& operator[](std::size_t i) const { return mTokens[i]; }

    /// Grows the logical part to newLogical tokens by inserting default tokens at insertAt,
    /// and the phantom zone to newPhantom tokens. Does nothing when newLogical is not larger
    /// than the current logical size.
    void Resize(unsigned newLogical, unsigned newPhantom, unsigned insertAt) {
        DSP_CHECK(insertAt <= mLogicalSize, "PhantomBuffer::Resize(): Insertion position can "
                                            "not be greater than previous size.");
        DSP_CHECK(newPhantom <= newLogical,
                  "PhantomBuffer::Resize(): Phantom Size can not be greater than size.");
        if (newLogical <= mLogicalSize)
            return;
        DSP_CHECK(newPhantom >= PhantomSize(),
                  "PhantomBuffer::Resize(): PhantomSize can not be decreased.");
        const unsigned oldPhantom = PhantomSize();
        mTokens.insert(mTokens.begin() + insertAt, newLogical - mLogicalSize, T());
        mTokens.insert(mTokens.end(), newPhantom - oldPhantom, T());
        mLogicalSize = newLogical;
        // The insertion may have moved what the head held (insertAt 0) and the new phantom
        // tokens mirror nothing yet, so rebuild the mirror from the head.
        std::copy(mTokens.begin(), mTokens.begin() + newPhantom, mTokens.begin() + newLogical);
    }

    /// Restores the mirror after the window [pos, pos + size) was written. Tokens are copied
    /// into the existing ones' storage (CopyReusingStorage), so that mirroring a stream of peak
    /// arrays or fundamentals whose counts change from step to step allocates nothing.
    void Touch(unsigned pos, unsigned size) {
        const unsigned logical = mLogicalSize;
        const unsigned phantom = PhantomSize();
        if (pos + size > logical) {
            // The window ran into the phantom zone: copy that part back to the head.
            for (unsigned i = (pos < logical ? 0 : pos - logical); i < pos + size - logical; ++i)
                CopyReusingStorage(mTokens[i], mTokens[logical + i]);
        } else if (pos < phantom) {
            // The window touched the mirrored head: copy it into the phantom zone.
            const unsigned end = std::min(pos + size, phantom);
            for (unsigned i = pos; i < end; ++i)
                CopyReusingStorage(mTokens[logical + i], mTokens[i]);
        }
    }

private:
    std::vector<T> mTokens;
    unsigned mLogicalSize = 0;
};

} // namespace DSP
