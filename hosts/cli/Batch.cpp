#include "hosts/cli/Batch.hpp"

#include "hosts/cli/AudioFile.hpp"
#include "hosts/cli/CliError.hpp"
#include "hosts/cli/Commands.hpp"
#include "hosts/cli/Progress.hpp"
#include "hosts/cli/Session.hpp"
#include "orvane/MessageText.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>

namespace quorvel::cli {

namespace {

// Each file counts as this many units of the batch's bar, spread over its frames.
constexpr int64_t kUnitsPerFile = 1000;

struct FileResult {
    bool ok = false;
    std::string error;
};

// The program, the state file and every setting's name and value are the same for all files:
// checked once, so that a mistake in them is one usage error rather than one per file. Times
// are checked per file, against its length.
void checkSessionOptions(const SessionOptions& options) {
    Session session;
    session.applyOptions(options);
    for (const Setting& setting : options.settings)
        session.resolve(setting, supportedSampleRates().front());
}

// Why `index`'s output may not be written, or "" when it may: it would replace an input, or a
// file an earlier input of the batch writes.
std::string refusal(const RenderOptions& options, const std::vector<std::string>& outputs,
                    size_t index) {
    for (size_t i = 0; i < index; ++i)
        if (outputs[i] == outputs[index])
            return "'" + options.inputs[i] + "' and '" + options.inputs[index] +
                   "' would both write '" + outputs[index] + "'";
    for (const std::string& input : options.inputs)
        if (input == outputs[index] || sameFile(input, outputs[index]))
            return "refusing to write the output over the input '" + input + "'";
    return "";
}

class Batch {
public:
    Batch(const RenderOptions& options, std::vector<std::string> outputs)
        : mOptions(options), mOutputs(std::move(outputs)), mResults(mOutputs.size()),
          mUnits(mOutputs.size()),
          mProgress("rendering " + std::to_string(mOutputs.size()) + " files",
                    int64_t(mOutputs.size()) * kUnitsPerFile,
                    !options.quiet && Progress::stderrIsTerminal()) {}

    void run(unsigned int jobs) {
        std::vector<std::thread> workers;
        for (unsigned int j = 1; j < jobs; ++j)
            workers.emplace_back([this] { work(); });
        work();
        for (std::thread& worker : workers)
            worker.join();
        mProgress.finish();
    }

    const std::vector<FileResult>& results() const { return mResults; }

private:
    void work() {
        for (size_t i = mNext++; i < mOutputs.size(); i = mNext++) {
            renderOne(i);
            advance(i, kUnitsPerFile);
        }
    }

    void renderOne(size_t i) {
        FileResult& result = mResults[i];
        try {
            const std::string why = refusal(mOptions, mOutputs, i);
            if (!why.empty())
                throw usageError(why);
            RenderOptions file = mOptions;
            file.input = mOptions.inputs[i];
            file.output = mOutputs[i];
            file.quiet = true;
            renderFile(file, [&](int64_t done, int64_t total) {
                advance(i, total > 0 ? done * kUnitsPerFile / total : 0);
            });
            result.ok = true;
        } catch (const std::exception& e) {
            result.error = e.what();
        }
    }

    void advance(size_t i, int64_t units) {
        const std::lock_guard<std::mutex> lock(mProgressMutex);
        mDone += units - mUnits[i];
        mUnits[i] = units;
        mProgress.update(mDone);
    }

    const RenderOptions& mOptions;
    const std::vector<std::string> mOutputs;
    std::vector<FileResult> mResults;
    std::atomic<size_t> mNext{0};
    std::mutex mProgressMutex;
    std::vector<int64_t> mUnits; // per file, guarded by mProgressMutex
    int64_t mDone = 0;
    Progress mProgress;
};

} // namespace

std::string batchOutputPath(const std::string& outDir, const std::string& input) {
    return (std::filesystem::path(outDir) / std::filesystem::path(input).filename()).string();
}

void renderBatch(const RenderOptions& options, std::FILE* out) {
    checkSessionOptions(options.session);
    std::error_code error;
    std::filesystem::create_directories(options.outDir, error);
    if (error)
        throw processingError("cannot create '" + options.outDir + "': " + error.message());

    std::vector<std::string> outputs;
    for (const std::string& input : options.inputs)
        outputs.push_back(batchOutputPath(options.outDir, input));
    const unsigned int cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned int jobs = unsigned(
        std::min<size_t>(options.jobs > 0 ? unsigned(options.jobs) : cores, outputs.size()));

    const auto start = std::chrono::steady_clock::now();
    Batch batch(options, outputs);
    batch.run(jobs);
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    size_t failed = 0;
    for (size_t i = 0; i < outputs.size(); ++i) {
        const FileResult& result = batch.results()[i];
        if (result.ok)
            continue;
        ++failed;
        const std::string line = options.inputs[i] + ": " + result.error;
        std::fprintf(stderr, "quorvel: %s\n", orvane::escapedForMessage(line.c_str()).c_str());
    }
    std::fprintf(out, "rendered %zu of %zu file%s into %s in %.2f s with %u job%s\n",
                 outputs.size() - failed, outputs.size(), outputs.size() == 1 ? "" : "s",
                 options.outDir.c_str(), elapsed, jobs, jobs == 1 ? "" : "s");
    if (failed > 0)
        throw processingError(std::to_string(failed) + " of " + std::to_string(outputs.size()) +
                              " files failed");
}

} // namespace quorvel::cli
