#pragma once
// The one error type of the command line: a message for standard error and the exit status.

#include <stdexcept>
#include <string>

namespace quorvel::cli {

enum ExitStatus : int { kExitOk = 0, kExitProcessing = 1, kExitUsage = 2 };

class CliError : public std::runtime_error {
public:
    CliError(ExitStatus status, const std::string& message)
        : std::runtime_error(message), mStatus(status) {}
    ExitStatus status() const { return mStatus; }

private:
    ExitStatus mStatus;
};

inline CliError usageError(const std::string& message) {
    return CliError(kExitUsage, message);
}
inline CliError processingError(const std::string& message) {
    return CliError(kExitProcessing, message);
}

} // namespace quorvel::cli
