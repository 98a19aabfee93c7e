#include "orvane/Assert.hpp"

#include <cstdio>
#include <cstdlib>

namespace orvane {

void fatalAssertion(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "orvane: fatal assertion failed: %s (%s:%d)\n", condition, file, line);
    std::fflush(stderr);
    std::abort();
}

} // namespace orvane
