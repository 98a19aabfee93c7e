#pragma once
// Reading and writing whole audio files through libsndfile.
//
// Samples are held planar, one float vector per channel, in the file's own scale (-1..1 for
// integer formats). Writing goes to a temporary file in the target's folder that is renamed
// into place only when everything was written, so a failure never leaves a partial file and
// never touches an existing file of that name.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorvel::cli {

struct AudioData {
    int sampleRate = 0;
    int format = 0; // libsndfile format (major | subtype) of the source, 0 for generated audio
    std::vector<std::vector<float>> channels;

    int channelCount() const { return static_cast<int>(channels.size()); }
    int64_t frameCount() const { return channels.empty() ? 0 : int64_t(channels[0].size()); }
};

// The sample rates the processor runs at, in Hz.
const std::vector<int>& supportedSampleRates();

// Reads a whole file. Throws CliError (processing) when the file is missing, unreadable or
// undecodable or larger than the machine's memory, and (usage) when its rate or channel count is
// not one the processor takes. Memory grows with the samples read, whatever the header claims.
AudioData readAudioFile(const std::string& path);
// Whether a header is first opened in a child process, which must get through it in time: some
// damaged headers make the decoder loop for ever. Skipping it saves a fork, for callers that
// bound the time themselves.
enum class HeaderGuard { InChildProcess, None };
// The same for the `size` bytes of a file held in memory at `data`; `name` is what errors call
// it.
AudioData readAudioMemory(const void* data, size_t size, const std::string& name,
                          HeaderGuard guard = HeaderGuard::InChildProcess);

// The libsndfile format for `path`'s extension, keeping `sourceFormat`'s sample encoding where
// the container allows it. Throws CliError (usage) for an extension no container matches.
int outputFormatFor(const std::string& path, int sourceFormat);

// Writes `audio` to `path` with `format`, atomically (temporary file, then rename).
void writeAudioFile(const std::string& path, const AudioData& audio, int format);

// Writes `text` to `path` atomically.
void writeTextFile(const std::string& path, const std::string& text);

// True when both paths name the same existing file (also through links).
bool sameFile(const std::string& a, const std::string& b);

} // namespace quorvel::cli
