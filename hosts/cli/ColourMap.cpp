#include "hosts/cli/ColourMap.hpp"

#include <cmath>

namespace quorvel::cli {

namespace {

// The map's published colours at 0, 0.1, ..., 1; between them it is interpolated linearly.
const Rgb kStops[] = {{0x00, 0x00, 0x04}, {0x14, 0x0e, 0x36}, {0x3b, 0x0f, 0x70},
                      {0x64, 0x1a, 0x80}, {0x8c, 0x29, 0x81}, {0xb7, 0x37, 0x79},
                      {0xde, 0x49, 0x68}, {0xf7, 0x70, 0x5c}, {0xfe, 0x9f, 0x6d},
                      {0xfe, 0xcf, 0x92}, {0xfc, 0xfd, 0xbf}};
constexpr int kLast = int(sizeof kStops / sizeof kStops[0]) - 1;

uint8_t mix(uint8_t a, uint8_t b, double t) {
    return uint8_t(std::lround(a + (double(b) - a) * t));
}

} // namespace

Rgb magma(double position) {
    if (!(position > 0.0))
        return kStops[0];
    if (position >= 1.0)
        return kStops[kLast];
    const double scaled = position * kLast;
    const int i = int(scaled);
    const double t = scaled - i;
    return {mix(kStops[i].r, kStops[i + 1].r, t), mix(kStops[i].g, kStops[i + 1].g, t),
            mix(kStops[i].b, kStops[i + 1].b, t)};
}

} // namespace quorvel::cli
