#pragma once
// A progress bar on standard error, drawn only when standard error is a terminal and the job is
// long enough to be worth watching.

#include <cstdint>
#include <string>

namespace quorvel::cli {

class Progress {
public:
    // `total` units of work; `enabled` false draws nothing.
    Progress(const std::string& label, int64_t total, bool enabled);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void update(int64_t done);
    void finish();

    // True when standard error is a terminal.
    static bool stderrIsTerminal();

private:
    std::string mLabel;
    int64_t mTotal;
    bool mEnabled;
    int mLastPercent = -1;
    bool mFinished = false;
};

} // namespace quorvel::cli
