#pragma once

#include "DSP/Misc/Ports/PhantomBuffer.hpp"
#include "DSP/Misc/Ports/Region.hpp"

namespace DSP {

/// A stream of tokens: a circular buffer with a phantom zone, and the rules that keep the
/// buffer and the regions on it consistent. Owned by its writing region.
template <typename T, template <typename> class Buffer = PhantomBuffer> class StreamImpl {
public:
    Buffer<T>& GetBuffer() { return mBuffer; }
    const Buffer<T>& GetBuffer() const { return mBuffer; }
    int LogicalSize() const { return static_cast<int>(mBuffer.LogicalSize()); }
    T& Token(int index) { return mBuffer[static_cast<std::size_t>(index)]; }

    /// Grows the buffer so that it holds at least twice the region's size (a power of two),
    /// inserting the new tokens at the writer's position, and moves the readers whose
    /// unread tokens lie behind that point.
    void CommonNewRegionSize(Region& region) {
        const int needed = 2 * region.Size();
        const int oldLogical = LogicalSize();
        if (needed <= oldLogical)
            return;
        Region* writer = region.ProducerRegion();
        if (writer == nullptr)
            return;
        int newLogical = 1;
        while (newLogical < needed)
            newLogical *= 2;
        const int insertAt = writer->BeginDistance();
        const int growth = newLogical - oldLogical;
        mBuffer.Resize(static_cast<unsigned>(newLogical), static_cast<unsigned>(needed),
                       static_cast<unsigned>(insertAt));
        for (auto it = writer->BeginReaders(); it != writer->EndReaders(); ++it) {
            Region& reader = **it;
            const bool behind =
                reader.BeginDistance() > insertAt ||
                (reader.BeginDistance() == insertAt && reader.Pos() < writer->Pos());
            if (behind)
                reader.BeginDistance(reader.BeginDistance() + growth);
        }
    }

    /// The writer's window was written: keep the mirror, then advance the writer.
    void WriterHasAdvanced(Region& writer) {
        mBuffer.Touch(static_cast<unsigned>(writer.BeginDistance()),
                      static_cast<unsigned>(writer.Size()));
        RegionHasAdvanced(writer);
    }

    /// The region's position advanced by its hop: move its begin distance along, wrapping at
    /// the logical end.
    void RegionHasAdvanced(Region& region) {
        int distance = region.BeginDistance() + region.Hop();
        if (distance >= LogicalSize())
            distance -= LogicalSize();
        region.BeginDistance(distance);
    }

private:
    Buffer<T> mBuffer;
};

} // namespace DSP
