#pragma once

#include "DSP/Misc/Ports/Region.hpp"

namespace DSP {

/// A consumer's window on the stream of a writing region of type Writer. Unlinked, it has
/// no stream: it cannot consume and its tokens must not be read.
template <class Writer> class ReadingRegion : public Region {
public:
    using Token = typename Writer::Token;
    using Stream = typename Writer::Stream;

    ReadingRegion() = default;
    ~ReadingRegion() override {
        if (mProducer != nullptr)
            mProducer->RemoveRegion(*this);
    }

    bool IsLinked() const { return mProducer != nullptr; }
    Writer* GetProducer() const { return mProducer; }

    /// True when the producer has written the whole window.
    bool CanConsume() const { return mProducer != nullptr && mProducer->Pos() >= Pos() + Size(); }

    /// Token i of the window (unchecked; the region must be linked).
    Token& operator[](int i) { return mStream->Token(BeginDistance() + i); }
    const Token& operator[](int i) const { return mStream->Token(BeginDistance() + i); }

    /// Advances the window by its hop.
    void Consume() {
        Pos(Pos() + Hop());
        if (mStream != nullptr)
            mStream->RegionHasAdvanced(*this);
    }

    Region* ProducerRegion() override { return mProducer; }
    ReaderList::iterator BeginReaders() override {
        return mProducer != nullptr ? mProducer->BeginReaders() : NoReaders().begin();
    }
    ReaderList::iterator EndReaders() override {
        return mProducer != nullptr ? mProducer->EndReaders() : NoReaders().end();
    }

    /// Forgets the producer and its stream (the writer calls this when it unlinks).
    void RemoveProducer() {
        mProducer = nullptr;
        mStream = nullptr;
    }

protected:
    void SizeChanged(int) override {
        if (mStream != nullptr)
            mStream->CommonNewRegionSize(*this);
    }

private:
    friend Writer;

    static ReaderList& NoReaders() {
        static ReaderList none;
        return none;
    }

    void SetProducer(Writer& producer, Stream& stream) {
        mProducer = &producer;
        mStream = &stream;
    }

    Stream* mStream = nullptr;
    Writer* mProducer = nullptr;
};

} // namespace DSP
