#pragma once

#include <algorithm>

#include "DSP/Misc/Err.hpp"
#include "DSP/Misc/Ports/ReadingRegion.hpp"
#include "DSP/Misc/Ports/StreamImpl.hpp"

namespace DSP {

/// A producer's window on the stream it owns. The producer writes tokens 0 .. Size()-1 of
/// the window, then Produce() advances it by the hop. Readers linked to it read windows of
/// their own size and hop; the writer never overwrites a token a reader has not consumed
/// (CanProduce). Linking and sizing happen at configuration time and may grow the buffer;
/// producing and consuming never allocate.
template <typename T, template <typename> class Buffer = PhantomBuffer>
class WritingRegion : public Region {
public:
    using Token = T;
    using Stream = StreamImpl<T, Buffer>;
    using Reader = ReadingRegion<WritingRegion>;

    WritingRegion() { mStream.CommonNewRegionSize(*this); }
    ~WritingRegion() override {
        for (Region* reader : mReaders)
            static_cast<Reader*>(reader)->RemoveProducer();
    }

    /// True when writing the window would not overwrite tokens an in-port still has to read.
    bool CanProduce() const {
        return (Pos() + Size()) - RearmostReadingPos() <= mStream.LogicalSize();
    }
    /// The smallest position among the writer and its readers.
    long RearmostReadingPos() const {
        long rearmost = Pos();
        for (const Region* reader : mReaders)
            rearmost = std::min(rearmost, reader->Pos());
        return rearmost;
    }

    /// Token i of the window (unchecked).
    T& operator[](int i) { return mStream.Token(BeginDistance() + i); }

    /// Advances the window by its hop; the tokens written become readable.
    void Produce() {
        Pos(Pos() + Hop());
        mStream.WriterHasAdvanced(*this);
    }

    /// Links reader to this writer: it starts at the writer's position (it reads only what
    /// is written from now on) and the buffer grows for its size.
    void LinkRegions(Reader& reader) {
        mReaders.push_back(&reader);
        reader.SetProducer(*this, mStream);
        reader.Pos(Pos());
        reader.BeginDistance(BeginDistance());
        mStream.CommonNewRegionSize(reader);
    }
    /// Undoes LinkRegions.
    void RemoveRegion(Reader& reader) {
        auto it = std::find(mReaders.begin(), mReaders.end(), &reader);
        if (it == mReaders.end())
            return;
        mReaders.erase(it);
        reader.RemoveProducer();
    }

    /// Token offset of the window written by the last Produce().
    T& GetLastWrittenData(int offset = 0) {
        int distance = BeginDistance() - Hop();
        if (distance < 0)
            distance += mStream.LogicalSize();
        return mStream.Token(distance + offset);
    }

    /// Sets every token of the window to the default value.
    void ClearData() {
        for (int i = 0; i < Size(); ++i)
            (*this)[i] = T();
    }

    /// Positions every reader so that its window is centred on the writer's first token: the
    /// writer restarts at 0 after writing g/2 default tokens (g = the largest reader size),
    /// and a reader of size r starts at g/2 - r/2. Every size must be even.
    void CenterEvenRegions() {
        DSP_CHECK(Size() % 2 == 0,
                  "WritingRegion::CheckRegionsAreEven - Writer's size must be even for centering.");
        int greatest = 0;
        for (const Region* reader : mReaders) {
            DSP_CHECK(reader->Size() % 2 == 0, "WritingRegion::CheckRegionsAreEven - Reader's "
                                               "size must be even for centering.");
            greatest = std::max(greatest, reader->Size());
        }
        const int half = greatest / 2;
        const int size = Size();
        const int hop = Hop();
        Pos(0);
        BeginDistance(0);
        Size(half);
        Hop(half);
        ClearData();
        for (Region* reader : mReaders) {
            const int start = half - reader->Size() / 2;
            reader->Pos(start);
            reader->BeginDistance(start);
        }
        Produce();
        Size(size);
        Hop(hop);
    }

    int LogicalSize() const { return mStream.LogicalSize(); }
    Stream& GetStream() { return mStream; }

    Region* ProducerRegion() override { return this; }
    ReaderList::iterator BeginReaders() override { return mReaders.begin(); }
    ReaderList::iterator EndReaders() override { return mReaders.end(); }

protected:
    void SizeChanged(int) override { mStream.CommonNewRegionSize(*this); }

private:
    ReaderList mReaders;
    Stream mStream;
};

} // namespace DSP
