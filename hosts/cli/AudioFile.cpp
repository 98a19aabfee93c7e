#include "hosts/cli/AudioFile.hpp"

#include "Quorvel/QuorvelAudio.hpp"
#include "hosts/cli/CliError.hpp"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <new>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvel::cli {

namespace {

constexpr sf_count_t kChunkFrames = 65536;

std::string lowerExtension(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string joinedRates() {
    std::string text;
    for (int rate : supportedSampleRates())
        text += (text.empty() ? "" : ", ") + std::to_string(rate);
    return text;
}

// The process's file-creation mask, read once: reading it means setting it, which must not
// happen while another thread creates files.
mode_t processUmask() {
    static const mode_t mask = [] {
        const mode_t m = umask(0);
        umask(m);
        return m;
    }();
    return mask;
}

// A temporary file beside the target, removed on destruction unless committed by rename.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& target) : mTarget(target) {
        mPath = folderOf(target) + "/." + baseOf(target) + ".XXXXXX";
        mFd = mkstemp(mPath.data());
        if (mFd < 0)
            throw processingError("cannot write '" + target + "': " + std::strerror(errno));
        fchmod(mFd, 0666 & ~processUmask());
    }
    ~TemporaryFile() {
        if (mFd >= 0)
            close(mFd);
        if (!mCommitted)
            unlink(mPath.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return mFd; }

    void commit() {
        if (mFd >= 0) {
            if (fsync(mFd) != 0 || close(mFd) != 0) {
                mFd = -1;
                throw processingError("cannot write '" + mTarget + "': " + std::strerror(errno));
            }
            mFd = -1;
        }
        if (std::rename(mPath.c_str(), mTarget.c_str()) != 0)
            throw processingError("cannot write '" + mTarget + "': " + std::strerror(errno));
        mCommitted = true;
    }

private:
    std::string mTarget;
    std::string mPath;
    int mFd = -1;
    bool mCommitted = false;
};

struct Container {
    const char* extension;
    int major;
};

const Container kContainers[] = {
    {"wav", SF_FORMAT_WAV},   {"wave", SF_FORMAT_WAV},  {"aif", SF_FORMAT_AIFF},
    {"aiff", SF_FORMAT_AIFF}, {"aifc", SF_FORMAT_AIFF}, {"flac", SF_FORMAT_FLAC},
    {"ogg", SF_FORMAT_OGG},   {"oga", SF_FORMAT_OGG},   {"au", SF_FORMAT_AU},
    {"snd", SF_FORMAT_AU},    {"caf", SF_FORMAT_CAF},   {"w64", SF_FORMAT_W64},
    {"rf64", SF_FORMAT_RF64},
};

bool formatValid(int format, int channels, int rate) {
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = rate;
    return sf_format_check(&info) == SF_TRUE;
}

// The machine's memory in bytes (no bound when it cannot be told).
uint64_t physicalMemoryBytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return UINT64_MAX;
    return uint64_t(pages) * uint64_t(pageSize);
}

// The frames a header claims, when the source is large enough to hold them: only for
// containers whose encoding spends a fixed number of bytes on every sample (compressed ones
// can hold any number of frames in a few bytes). 0 when the claim cannot be checked or fails.
uint64_t framesTheSourceCanHold(const SF_INFO& info, uint64_t sourceBytes) {
    switch (info.format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
    case SF_FORMAT_AIFF:
    case SF_FORMAT_AU:
    case SF_FORMAT_CAF:
    case SF_FORMAT_W64:
    case SF_FORMAT_RF64:
        break;
    default:
        return 0;
    }
    uint64_t bytesPerSample = 0;
    switch (info.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
        bytesPerSample = 1;
        break;
    case SF_FORMAT_PCM_16:
        bytesPerSample = 2;
        break;
    case SF_FORMAT_PCM_24:
        bytesPerSample = 3;
        break;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
        bytesPerSample = 4;
        break;
    case SF_FORMAT_DOUBLE:
        bytesPerSample = 8;
        break;
    default:
        return 0;
    }
    const uint64_t claim = info.frames > 0 ? uint64_t(info.frames) : 0;
    return claim <= sourceBytes / (bytesPerSample * uint64_t(info.channels)) ? claim : 0;
}

} // namespace

const std::vector<int>& supportedSampleRates() {
    static const std::vector<int> rates(QuorvelAudio::kSampleRates.begin(),
                                        QuorvelAudio::kSampleRates.end());
    return rates;
}

namespace {

// Reads an opened file whole and closes it; `name` is what errors call it, `sourceBytes` the
// size of what it was opened from.
AudioData readOpened(SNDFILE* file, const SF_INFO& info, const std::string& name,
                     uint64_t sourceBytes) {
    auto closer = [&] { sf_close(file); };
    const auto& rates = supportedSampleRates();
    if (std::find(rates.begin(), rates.end(), info.samplerate) == rates.end()) {
        closer();
        throw usageError("'" + name + "' has a sample rate of " + std::to_string(info.samplerate) +
                         " Hz; supported rates are " + joinedRates() + " Hz");
    }
    if (info.channels < 1 || info.channels > 2) {
        closer();
        throw usageError("'" + name + "' has " + std::to_string(info.channels) +
                         " channels; only mono and stereo files are supported");
    }

    AudioData audio;
    audio.sampleRate = info.samplerate;
    audio.format = info.format;
    audio.channels.assign(size_t(info.channels), {});
    // The header's frame count is only a claim (a damaged or forged header may say anything),
    // so the buffers grow with the samples that actually arrive, never beyond what the
    // machine's memory can hold.
    const auto tooLarge = [&] {
        closer();
        return processingError("cannot read '" + name + "': it is too large to hold in memory");
    };
    const uint64_t maxFrames = physicalMemoryBytes() / (sizeof(float) * size_t(info.channels));
    std::vector<float> interleaved(size_t(kChunkFrames * info.channels));
    // A claim the source is large enough to hold is taken at its word, so that the samples go
    // straight into buffers of their final size. Otherwise the buffers double as samples
    // arrive, but never past what the header claims while the claim still holds: an honest
    // header's file ends up in buffers of exactly its length, and a forged one never costs more
    // than twice what actually arrived.
    const uint64_t plausibleFrames = framesTheSourceCanHold(info, sourceBytes);
    if (plausibleFrames > maxFrames)
        throw tooLarge();
    try {
        for (std::vector<float>& channel : audio.channels)
            channel.reserve(size_t(plausibleFrames));
    } catch (const std::bad_alloc&) {
        throw tooLarge();
    }
    const auto grownCapacity = [&](size_t capacity, size_t needed) {
        size_t grown = std::max(needed, 2 * capacity);
        if (info.frames > 0 && uint64_t(info.frames) >= needed)
            grown = std::min(grown, size_t(info.frames));
        return grown;
    };
    for (;;) {
        const sf_count_t got = sf_readf_float(file, interleaved.data(), kChunkFrames);
        if (got <= 0)
            break;
        const int64_t start = audio.frameCount();
        if (uint64_t(start + got) > maxFrames)
            throw tooLarge();
        try {
            for (int c = 0; c < info.channels; ++c) {
                std::vector<float>& channel = audio.channels[size_t(c)];
                const size_t needed = size_t(start + got);
                if (channel.capacity() < needed)
                    channel.reserve(grownCapacity(channel.capacity(), needed));
                channel.resize(needed);
                float* to = channel.data() + start;
                const float* from = interleaved.data() + c;
                for (sf_count_t i = 0; i < got; ++i)
                    to[i] = from[i * info.channels];
            }
        } catch (const std::bad_alloc&) {
            throw tooLarge();
        }
    }
    const int error = sf_error(file);
    closer();
    if (error != SF_ERR_NO_ERROR)
        throw processingError("cannot decode '" + name + "': " + sf_error_number(error));
    // A header that claimed more than arrived keeps nothing of the buffers' growth past it.
    for (std::vector<float>& channel : audio.channels)
        channel.shrink_to_fit();
    return audio;
}

// Some damaged headers make libsndfile loop for ever while opening them (a 143-byte RF64 file
// whose LIST chunk is mostly 0xff bytes is one), and a decoder that crashes on a header takes
// the process with it. So a header is first opened in a child process, which must finish
// within kHeaderMilliseconds; only then is it opened here. The child costs a fork, about a
// millisecond.
constexpr int kHeaderMilliseconds = 5000;

void refuseHeaderUnlessItOpensInAChild(const std::function<void()>& open, const std::string& name) {
    const pid_t child = fork();
    if (child < 0)
        throw processingError("cannot read '" + name + "': " + std::strerror(errno));
    if (child == 0) {
        open();
        _exit(0);
    }
    int status = 0;
    for (useconds_t pause = 100, waited = 0; waited < kHeaderMilliseconds * 1000u;
         waited += pause, pause = std::min<useconds_t>(2 * pause, 20000)) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) {
            if (WIFSIGNALED(status))
                throw processingError("cannot read '" + name +
                                      "': the decoder crashes on its header (the file is damaged)");
            return;
        }
        if (done < 0 && errno != EINTR)
            throw processingError("cannot read '" + name + "': " + std::strerror(errno));
        usleep(pause);
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    throw processingError("cannot read '" + name +
                          "': the decoder does not get through its header (the file is damaged)");
}

// A read-only view of bytes in memory, as libsndfile's virtual I/O.
struct MemoryFile {
    const unsigned char* data;
    sf_count_t size;
    sf_count_t position = 0;

    static MemoryFile& of(void* user) { return *static_cast<MemoryFile*>(user); }
    static sf_count_t length(void* user) { return of(user).size; }
    static sf_count_t seek(sf_count_t offset, int whence, void* user) {
        MemoryFile& m = of(user);
        const sf_count_t base = whence == SEEK_CUR ? m.position : whence == SEEK_END ? m.size : 0;
        if ((offset < 0 && offset < -base) || (offset > 0 && offset > INT64_MAX - base))
            return -1;
        m.position = base + offset;
        return m.position;
    }
    static sf_count_t read(void* out, sf_count_t count, void* user) {
        MemoryFile& m = of(user);
        const sf_count_t n = std::max<sf_count_t>(0, std::min(count, m.size - m.position));
        if (n > 0)
            std::memcpy(out, m.data + m.position, size_t(n));
        m.position += n;
        return n;
    }
    static sf_count_t write(const void*, sf_count_t, void*) { return 0; }
    static sf_count_t tell(void* user) { return of(user).position; }
};

} // namespace

AudioData readAudioFile(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        throw processingError("cannot read '" + path + "': " + std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        throw processingError("cannot read '" + path + "': it is a directory");

    SF_INFO info{};
    refuseHeaderUnlessItOpensInAChild([&] { sf_open(path.c_str(), SFM_READ, &info); }, path);
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        throw processingError("cannot read '" + path + "': " + sf_strerror(nullptr));
    return readOpened(file, info, path, uint64_t(st.st_size));
}

AudioData readAudioMemory(const void* data, size_t size, const std::string& name,
                          HeaderGuard guard) {
    MemoryFile memory{static_cast<const unsigned char*>(data), sf_count_t(size)};
    SF_VIRTUAL_IO io{&MemoryFile::length, &MemoryFile::seek, &MemoryFile::read, &MemoryFile::write,
                     &MemoryFile::tell};
    SF_INFO info{};
    if (guard == HeaderGuard::InChildProcess)
        refuseHeaderUnlessItOpensInAChild([&] { sf_open_virtual(&io, SFM_READ, &info, &memory); },
                                          name);
    SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, &memory);
    if (!file)
        throw processingError("cannot read '" + name + "': " + sf_strerror(nullptr));
    return readOpened(file, info, name, uint64_t(size));
}

int outputFormatFor(const std::string& path, int sourceFormat) {
    const std::string ext = lowerExtension(path);
    const Container* container = nullptr;
    for (const auto& c : kContainers)
        if (ext == c.extension)
            container = &c;
    if (!container)
        throw usageError("cannot tell the output format from '" + path +
                         "'; use one of .wav .aiff .flac .ogg .au .caf .w64 .rf64");

    const int major = container->major;
    const int sourceSubtype = sourceFormat & SF_FORMAT_SUBMASK;
    // Keep the input's encoding where the container takes it; otherwise the container's
    // richest lossless encoding, so nothing is lost that needn't be.
    const int candidates[] = {sourceSubtype, SF_FORMAT_FLOAT, SF_FORMAT_PCM_24, SF_FORMAT_PCM_16,
                              SF_FORMAT_VORBIS};
    for (int subtype : candidates)
        if (subtype != 0 && formatValid(major | subtype, 1, 44100) &&
            formatValid(major | subtype, 2, 44100))
            return major | subtype;
    throw usageError("no sample encoding is available for '" + path + "'");
}

void writeAudioFile(const std::string& path, const AudioData& audio, int format) {
    SF_INFO info{};
    info.samplerate = audio.sampleRate;
    info.channels = audio.channelCount();
    info.format = format;
    if (sf_format_check(&info) != SF_TRUE)
        throw usageError("cannot write '" + path + "' in that format at " +
                         std::to_string(audio.sampleRate) + " Hz");

    TemporaryFile temp(path);
    SNDFILE* file = sf_open_fd(temp.fd(), SFM_WRITE, &info, SF_FALSE);
    if (!file)
        throw processingError("cannot write '" + path + "': " + sf_strerror(nullptr));
    // Integer encodings clip out-of-range samples instead of wrapping them around.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);

    const int channels = audio.channelCount();
    const int64_t frames = audio.frameCount();
    std::vector<float> interleaved(size_t(kChunkFrames * channels));
    bool ok = true;
    for (int64_t start = 0; start < frames && ok; start += kChunkFrames) {
        const int64_t n = std::min<int64_t>(kChunkFrames, frames - start);
        for (int64_t i = 0; i < n; ++i)
            for (int c = 0; c < channels; ++c)
                interleaved[size_t(i * channels + c)] =
                    audio.channels[size_t(c)][size_t(start + i)];
        ok = sf_writef_float(file, interleaved.data(), n) == n;
    }
    const std::string error = ok ? "" : sf_strerror(file);
    if (sf_close(file) != 0 && ok)
        throw processingError("cannot write '" + path + "': " + sf_strerror(nullptr));
    if (!ok)
        throw processingError("cannot write '" + path + "': " + error);
    temp.commit();
}

void writeTextFile(const std::string& path, const std::string& text) {
    TemporaryFile temp(path);
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t n = write(temp.fd(), p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw processingError("cannot write '" + path + "': " + std::strerror(errno));
        }
        p += n;
        left -= size_t(n);
    }
    temp.commit();
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace quorvel::cli
