#pragma once
// Runs the built `quorvel` binary the way a user does and captures what it prints.

#include "hosts/cli/AudioFile.hpp"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace CliTest {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::string shellQuote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// A scratch folder per test, removed afterwards.
class CliTestBase : public ::testing::Test {
protected:
    void SetUp() override {
        mDir = std::filesystem::temp_directory_path() /
               ("quorvel-cli-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(mDir);
        std::filesystem::create_directories(mDir);
    }
    void TearDown() override { std::filesystem::remove_all(mDir); }

    std::string path(const std::string& name) const { return (mDir / name).string(); }

    Result run(const std::vector<std::string>& args) const {
        std::string command = shellQuote(QUORVEL_CLI_PATH);
        for (const auto& arg : args)
            command += " " + shellQuote(arg);
        const std::string out = path(".stdout"), err = path(".stderr");
        command += " >" + shellQuote(out) + " 2>" + shellQuote(err) + " </dev/null";
        const int raw = std::system(command.c_str());
        Result result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = readWhole(out);
        result.err = readWhole(err);
        std::filesystem::remove(out);
        std::filesystem::remove(err);
        return result;
    }

    void writeWav(const std::string& name, const quorvel::cli::AudioData& audio,
                  int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT) const {
        quorvel::cli::writeAudioFile(path(name), audio, format);
    }
    quorvel::cli::AudioData readWav(const std::string& name) const {
        return quorvel::cli::readAudioFile(path(name));
    }
    size_t filesInDir() const {
        return size_t(std::distance(std::filesystem::directory_iterator(mDir),
                                    std::filesystem::directory_iterator{}));
    }

    std::filesystem::path mDir;
};

} // namespace CliTest
