#pragma once
// The command line's grammar: commands, options and their help texts. Parsing only checks
// form (an option's value is present and numeric where it must be); names of programs and
// parameters are checked against the document by the session that applies them.

#include <optional>
#include <string>
#include <vector>

namespace quorvel::cli {

// One "--set NAME=VALUE[@SECONDS]".
struct Setting {
    std::string name;
    std::string value;
    std::optional<double> atSeconds; // none: before the first sample
    std::string text;                // as given, for messages
};

// What selects and configures a program: shared by `render` and `state`.
struct SessionOptions {
    std::optional<std::string> program; // a name or a number
    std::optional<std::string> stateFile;
    std::vector<Setting> settings;
    std::optional<double> gain;
    std::optional<double> dryWet;
};

constexpr int kDefaultSpectrogramWidth = 960;
constexpr int kDefaultSpectrogramHeight = 400;

struct SpectrogramOptions {
    std::string input;
    std::string output;
    std::optional<double> fromSeconds;
    std::optional<double> toSeconds;
    std::optional<double> maxHz;
    int width = kDefaultSpectrogramWidth;
    int height = kDefaultSpectrogramHeight;
};

struct RenderOptions {
    SessionOptions session;
    std::string input;
    std::string output;
    std::optional<std::string> spectrogram; // a picture of the output (with the input: compare)
    bool compare = false;
    // A batch (--out-dir): every input rendered into outDir, `jobs` at a time (0: one per core).
    std::vector<std::string> inputs;
    std::string outDir;
    int jobs = 0;
    int blockFrames = 512;
    bool compensateLatency = true;
    bool quiet = false;
};

struct AnalyzeOptions {
    std::string input;
    std::optional<std::string> csvFile; // rows as CSV into this file instead of standard output
    bool json = false;                  // rows and summary as one JSON document
    bool quiet = false;                 // no progress bar, no summary
};

enum class Command { Help, Programs, Render, State, Analyze, Demo, Spectrogram };

struct ParsedArgs {
    Command command = Command::Help;
    std::string helpTopic;                  // for Help: "" or a command name
    bool json = false;                      // programs --json
    RenderOptions render;                   // render; its session part also serves `state`
    std::optional<std::string> stateOutput; // state -o FILE
    AnalyzeOptions analyze;
    SpectrogramOptions spectrogram;
    std::string demoFolder = "quorvel-demo";
};

// Parses argv (without the program name). Throws CliError (usage) on malformed input.
ParsedArgs parseArgs(const std::vector<std::string>& args);

// The number a whole text spells (strtod syntax), or nothing for text that is not one number or
// is not finite (underflow to zero included).
std::optional<double> numberFrom(const std::string& text);
// A number as messages and listings show it ("%g").
std::string formatNumber(double value);

// The help text of a command ("" for the overview).
std::string helpText(const std::string& topic);

} // namespace quorvel::cli
