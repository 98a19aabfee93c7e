#pragma once
// The commands of `quorvel`. Each writes its results to `out` and throws CliError on failure.

#include "hosts/cli/Args.hpp"

#include <cstdint>
#include <cstdio>
#include <functional>

namespace quorvel::cli {

void listPrograms(bool json, std::FILE* out);
// Frames rendered so far of a file's total, for a caller that draws its own progress.
using RenderProgress = std::function<void(int64_t done, int64_t total)>;

// Draws its own progress bar unless `progress` is given.
void renderFile(const RenderOptions& options, const RenderProgress& progress = {});
void writeState(const SessionOptions& options, const std::optional<std::string>& path,
                std::FILE* out);
void runDemo(const std::string& folder, std::FILE* out);

// Runs the command line on `args` (without the program name); returns the exit status.
// Errors are one line on standard error starting with "quorvel:".
int runCommandLine(const std::vector<std::string>& args);

} // namespace quorvel::cli
