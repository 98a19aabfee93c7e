#include "hosts/cli/Progress.hpp"

#include <cstdio>
#include <unistd.h>

namespace quorvel::cli {

namespace {
constexpr int kBarWidth = 40;
}

Progress::Progress(const std::string& label, int64_t total, bool enabled)
    : mLabel(label), mTotal(total > 0 ? total : 1), mEnabled(enabled) {}

Progress::~Progress() {
    if (mEnabled && mLastPercent >= 0 && !mFinished)
        std::fputc('\n', stderr);
}

bool Progress::stderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

void Progress::update(int64_t done) {
    if (!mEnabled)
        return;
    const int percent = int(100 * (done < mTotal ? done : mTotal) / mTotal);
    if (percent == mLastPercent)
        return;
    mLastPercent = percent;
    const int filled = percent * kBarWidth / 100;
    std::string bar(size_t(filled), '#');
    bar.append(size_t(kBarWidth - filled), '-');
    std::fprintf(stderr, "\r%s [%s] %3d%%", mLabel.c_str(), bar.c_str(), percent);
    std::fflush(stderr);
}

void Progress::finish() {
    if (!mEnabled || mFinished)
        return;
    update(mTotal);
    std::fputc('\n', stderr);
    mFinished = true;
}

} // namespace quorvel::cli
