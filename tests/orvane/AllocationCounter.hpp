#pragma once

// Counts the heap allocations (operator new) made by the calling thread between start and stop.
// The test executable replaces the global operator new to do this.
namespace allocations {

void start();
// The number of allocations since start; counting stops.
long stop();

} // namespace allocations
