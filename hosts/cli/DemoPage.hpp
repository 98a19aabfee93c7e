#pragma once
// The web page `quorvel demo` writes beside its renders: one self-contained HTML file (no
// scripts, no fonts or styles from elsewhere) that plays and shows what every program does.

#include <string>
#include <vector>

namespace quorvel::cli {

// One program's section. File names are relative to the page.
struct DemoPageEntry {
    unsigned int number = 0;
    std::string name;
    std::string description; // the program's help text
    std::string settings;    // as `quorvel render` options; "" for the defaults
    std::string note;        // what to listen and look for
    std::string outputWav;
    std::string outputPng;
    double peakDb = 0.0;
    double rmsDb = 0.0;
    double milliseconds = 0.0; // time to render
    double realtime = 0.0;     // the input's length over the time to render
};

struct DemoPageContent {
    std::string inputWav;
    std::string inputPng;
    double seconds = 0.0;
    int sampleRate = 0;
    std::vector<DemoPageEntry> entries;
};

std::string demoPageHtml(const DemoPageContent& content);

} // namespace quorvel::cli
