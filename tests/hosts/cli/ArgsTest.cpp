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

TEST(Args, RenderTakesEveryOption) {
    const ParsedArgs p =
        parseArgs({"render", "in.wav", "out.flac", "--program", "3-Band Filter", "--set",
                   "LowGain [dB]=-12", "--set", "Fire=on@2.5", "--state", "s.xml", "--gain", "0.5",
                   "--dry-wet", "0", "--block", "13", "--no-latency-compensation", "--quiet"});
    ASSERT_EQ(p.command, Command::Render);
    const RenderOptions& r = p.render;
    EXPECT_EQ(r.input, "in.wav");
    EXPECT_EQ(r.output, "out.flac");
    EXPECT_EQ(*r.session.program, "3-Band Filter");
    ASSERT_EQ(r.session.settings.size(), 2u);
    EXPECT_EQ(r.session.settings[0].name, "LowGain [dB]");
    EXPECT_EQ(r.session.settings[0].value, "-12");
    EXPECT_FALSE(r.session.settings[0].atSeconds);
    EXPECT_EQ(r.session.settings[1].name, "Fire");
    EXPECT_EQ(r.session.settings[1].value, "on");
    EXPECT_DOUBLE_EQ(*r.session.settings[1].atSeconds, 2.5);
    EXPECT_EQ(*r.session.stateFile, "s.xml");
    EXPECT_DOUBLE_EQ(*r.session.gain, 0.5);
    EXPECT_DOUBLE_EQ(*r.session.dryWet, 0.0);
    EXPECT_EQ(r.blockFrames, 13);
    EXPECT_FALSE(r.compensateLatency);
    EXPECT_TRUE(r.quiet);
}

TEST(Args, DefaultsAndOtherCommands) {
    const ParsedArgs render = parseArgs({"render", "a.wav", "b.wav"});
    EXPECT_EQ(render.render.blockFrames, 512);
    EXPECT_TRUE(render.render.compensateLatency);
    EXPECT_EQ(parseArgs({}).command, Command::Help);
    EXPECT_TRUE(parseArgs({"programs", "--json"}).json);
    EXPECT_EQ(parseArgs({"demo"}).demoFolder, "quorvel-demo");
    EXPECT_EQ(parseArgs({"demo", "/tmp/x"}).demoFolder, "/tmp/x");
    const ParsedArgs state = parseArgs({"state", "--program", "1", "-o", "x.xml"});
    EXPECT_EQ(state.command, Command::State);
    EXPECT_EQ(*state.stateOutput, "x.xml");
    const ParsedArgs help = parseArgs({"render", "--help"});
    EXPECT_EQ(help.command, Command::Help);
    EXPECT_EQ(help.helpTopic, "render");
    EXPECT_NE(helpText("render").find("--set NAME=VALUE"), std::string::npos);
}

TEST(Args, MalformedInputGivesOneClearUsageError) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"frobnicate"},
         "unknown command 'frobnicate'; commands are programs, render, state, analyze, demo"},
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
