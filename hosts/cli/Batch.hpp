#pragma once
// `quorvel render IN... --out-dir DIR [--jobs N]`: many files rendered side by side, each with
// its own engine, under one progress bar.

#include "hosts/cli/Args.hpp"

#include <cstdio>
#include <string>
#include <vector>

namespace quorvel::cli {

// Where a batch writes `input`: DIR/<the input's file name>.
std::string batchOutputPath(const std::string& outDir, const std::string& input);

// Renders every file of options.inputs into options.outDir (created when missing) with the
// program and settings of options.session, options.jobs at a time (0: one per core). Each
// file follows the rules of a single render (atomic output, never over an input). A file that
// fails is reported on standard error, one line each, and the others still render; a summary
// goes to `out`. Throws CliError (usage) before rendering anything for options that no file
// could take, and CliError (processing) at the end when any file failed.
void renderBatch(const RenderOptions& options, std::FILE* out);

} // namespace quorvel::cli
