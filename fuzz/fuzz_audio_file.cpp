// Arbitrary bytes as an audio file, read from memory the way the command line reads files
// (every container libsndfile recognises by content). Reading either yields audio or throws
// the command line's error; the heap it uses at its peak stays within a fixed allowance plus
// a small multiple of the samples it actually decoded, whatever the header claims.
//
// libsndfile loops for ever on some RIFF and RF64 headers with a LIST chunk; the command line
// opens every header in a child process first, which under the sanitizers costs ~20 ms a fork.
// Here only such inputs take that guard, so the others keep their speed and a new hang
// anywhere else is still reported. The 143 bytes that showed the loop are a unit test
// (AudioFileTest), not a seed: every mutation of them would wait out the guard's 5 s.

#include "hosts/cli/AudioFile.hpp"
#include "hosts/cli/CliError.hpp"

#include <sanitizer/allocator_interface.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<int64_t> gLive{0};
std::atomic<int64_t> gPeak{0};

void onMalloc(const volatile void*, size_t size) {
    const int64_t live = gLive += int64_t(size);
    int64_t peak = gPeak.load();
    while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
    }
}

void onFree(const volatile void* p) {
    gLive -= int64_t(__sanitizer_get_allocated_size(const_cast<const void*>(p)));
}

// Decoder state, chunk buffers and the like, independent of the data. The largest are the ALAC
// decoder's, about 34 KB per channel for as many as 1024 channels (the library's limit; more
// than two are refused only once the file is open), and the FLAC decoder's, which takes a
// metadata block's stated length (at most 16 MiB) in one piece before reading it.
constexpr int64_t kAllowance = 40 << 20;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gPeak = gLive.load();
    const int64_t start = gPeak;
    int64_t decodedBytes = 0;
    try {
        const bool riffWithList =
            size >= 4 && (std::memcmp(data, "RIFF", 4) == 0 || std::memcmp(data, "RF64", 4) == 0) &&
            memmem(data, size, "LIST", 4) != nullptr;
        const quorvel::cli::AudioData audio =
            quorvel::cli::readAudioMemory(data, size, "input",
                                          riffWithList ? quorvel::cli::HeaderGuard::InChildProcess
                                                       : quorvel::cli::HeaderGuard::None);
        decodedBytes = audio.frameCount() * audio.channelCount() * int64_t(sizeof(float));
    } catch (const quorvel::cli::CliError&) {
    }
    // A vector growing by doubling holds up to twice its samples, three times while it moves.
    const int64_t used = gPeak - start;
    if (used > kAllowance + 3 * decodedBytes) {
        std::fprintf(stderr, "fuzz_audio_file: %lld bytes at the peak for %lld decoded bytes\n",
                     (long long)used, (long long)decodedBytes);
        std::abort();
    }
    return 0;
}
