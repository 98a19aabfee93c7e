#include "hosts/cli/Args.hpp"
#include "hosts/cli/CliError.hpp"

#include <gtest/gtest.h>

using namespace quorvel::cli;

namespace {

// The usage error's message for `args`, or "" when they parse.
std::string usageMessage(const std::vector<std::string>& args) {
    try {
        parseArgs(args);
    } catch (const CliError& e) {
        EXPECT_EQ(e.status(), kExitUsage);
        return e.what();
    }
    return "";
}

} // namespace

// The command-line tests run every option end to end; here only what they cannot see: the
// defaults, and that the ends of every range are accepted.
TEST(Args, DefaultsAndTheEndsOfEveryRange) {
    const ParsedArgs render = parseArgs({"render", "a.wav", "b.wav"});
    EXPECT_EQ(render.render.blockFrames, 512);
    EXPECT_TRUE(render.render.compensateLatency);
    EXPECT_FALSE(render.render.session.gain);
    EXPECT_EQ(parseArgs({}).command, Command::Help);
    EXPECT_EQ(parseArgs({"demo"}).demoFolder, "quorvel-demo");
    for (const char* end : {"0", "1"})
        for (const char* option : {"--gain", "--dry-wet"})
            EXPECT_EQ(usageMessage({"render", "a", "b", option, end}), "") << option << " " << end;
    EXPECT_EQ(usageMessage({"render", "a", "b", "--block", "1", "--set", "X=1@0"}), "");
}

TEST(Args, MalformedInputGivesOneClearUsageError) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"frobnicate"},
         "unknown command 'frobnicate'; commands are programs, render, state, analyze, "
         "spectrogram, demo"},
        {{"render", "in.wav"}, "render takes an input and an output file"},
        {{"render", "a", "b", "c"}, "render takes an input and an output file"},
        {{"render", "a", "b", "--bogus"}, "unknown option '--bogus' for 'render'"},
        {{"render", "a", "b", "--program"}, "--program needs a value"},
        {{"render", "a", "b", "--set", "novalue"}, "--set takes NAME=VALUE[@SECONDS]"},
        {{"render", "a", "b", "--set", "=3"}, "--set takes NAME=VALUE[@SECONDS]"},
        {{"render", "a", "b", "--set", "X="}, "--set 'X=' has no value"},
        {{"render", "a", "b", "--set", "X=1@soon"}, "the time in 'X=1@soon' must be a number"},
        {{"render", "a", "b", "--set", "X=1@-2"}, "must not be negative"},
        {{"render", "a", "b", "--gain", "loud"}, "--gain must be a number, not 'loud'"},
        {{"render", "a", "b", "--gain", "1.5"}, "--gain must be between 0 and 1"},
        {{"render", "a", "b", "--dry-wet", "nan"}, "--dry-wet must be a number"},
        {{"render", "a", "b", "--block", "0"}, "--block must be a whole number from 1"},
        {{"render", "a", "b", "--block", "2.5"}, "--block must be a whole number from 1"},
        {{"programs", "--xml"}, "unknown option '--xml' for 'programs'"},
        {{"demo", "a", "b"}, "demo takes at most one folder"},
        {{"help", "nothing"}, "no help on 'nothing'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        EXPECT_NE(usageMessage(c.args).find(c.message), std::string::npos) << usageMessage(c.args);
    }
}
