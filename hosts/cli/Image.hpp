#pragma once
// An 8-bit RGB picture in memory, rows top to bottom, and the few drawing operations the
// spectrogram and its labels need. Drawing outside the picture is clipped.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorvel::cli {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

class Image {
public:
    Image(int width, int height, Rgb background)
        : mWidth(width), mHeight(height), mPixels(size_t(width) * size_t(height), background) {}

    int width() const { return mWidth; }
    int height() const { return mHeight; }

    Rgb at(int x, int y) const { return mPixels[size_t(y) * size_t(mWidth) + size_t(x)]; }
    void set(int x, int y, Rgb colour) {
        if (x >= 0 && y >= 0 && x < mWidth && y < mHeight)
            mPixels[size_t(y) * size_t(mWidth) + size_t(x)] = colour;
    }
    void fill(int x, int y, int w, int h, Rgb colour) {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i)
                set(i, j, colour);
    }
    // A one-pixel outline around the w x h box at (x, y), drawn just outside it.
    void frame(int x, int y, int w, int h, Rgb colour) {
        fill(x - 1, y - 1, w + 2, 1, colour);
        fill(x - 1, y + h, w + 2, 1, colour);
        fill(x - 1, y, 1, h, colour);
        fill(x + w, y, 1, h, colour);
    }

private:
    int mWidth;
    int mHeight;
    std::vector<Rgb> mPixels;
};

} // namespace quorvel::cli
