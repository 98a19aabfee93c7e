#include "hosts/cli/DemoPage.hpp"

#include <cmath>
#include <cstdio>

namespace quorvel::cli {

namespace {

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string fixed(double value, int decimals) {
    if (!std::isfinite(value))
        return value < 0 ? "-&infin;" : "&ndash;";
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

const char* kStyle = R"(
:root { --ink: #23232b; --muted: #5d5d6b; --rule: #dcdce4; --card: #ffffff; --page: #f3f3f7;
        --accent: #8c2981; }
* { box-sizing: border-box; }
body { margin: 0; background: var(--page); color: var(--ink);
       font: 16px/1.5 system-ui, -apple-system, "Segoe UI", sans-serif; }
header, main { max-width: 1500px; margin: 0 auto; padding: 0 16px; }
header { padding-top: 24px; }
h1 { margin: 0 0 4px; font-size: 1.7rem; }
h2 { margin: 0; font-size: 1.3rem; }
h2 .number { color: var(--accent); margin-right: 0.4em; }
p { margin: 6px 0; }
.muted { color: var(--muted); }
section { background: var(--card); border: 1px solid var(--rule); border-radius: 10px;
          padding: 16px; margin: 16px 0; }
.pictures { display: grid; grid-template-columns: repeat(auto-fit, minmax(min(100%, 560px), 1fr));
            gap: 12px; margin-top: 10px; }
figure { margin: 0; }
figure img { display: block; width: 100%; height: auto; border: 1px solid var(--rule);
             border-radius: 4px; aspect-ratio: 960 / 400; }
figcaption { font-size: 0.9rem; color: var(--muted); margin-bottom: 4px; display: flex;
             flex-wrap: wrap; align-items: center; gap: 8px; }
audio { width: 100%; max-width: 420px; height: 36px; }
code { font: 0.85rem/1.4 ui-monospace, "DejaVu Sans Mono", monospace; background: #f0eef4;
       padding: 2px 5px; border-radius: 4px; overflow-wrap: anywhere; }
.figures { display: flex; flex-wrap: wrap; gap: 4px 18px; font-size: 0.9rem; color: var(--muted);
           margin-top: 8px; }
.figures b { color: var(--ink); font-weight: 600; }
nav { display: flex; flex-wrap: wrap; gap: 6px; margin: 12px 0 0; }
nav a { font-size: 0.85rem; color: var(--ink); text-decoration: none; border: 1px solid var(--rule);
        border-radius: 999px; padding: 2px 10px; background: var(--card); }
)";

} // namespace

std::string demoPageHtml(const DemoPageContent& content) {
    std::string html = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Quorvel demo</title>
<style>)";
    html += kStyle;
    html += "</style>\n</head>\n<body>\n<header>\n<h1>Quorvel demo</h1>\n";
    html += "<p class=\"muted\">The built-in sound (" + fixed(content.seconds, 1) + " s, mono, " +
            std::to_string(content.sampleRate) +
            " Hz: a sung phrase with vibrato that slides up a third, holds, and glides slowly "
            "down; then four drum hits) rendered through every program. Each picture is a "
            "spectrogram: time across, frequency up to 8 kHz, level in colour from -90 dB to "
            "0 dB.</p>\n";
    html += "<nav>";
    for (const DemoPageEntry& e : content.entries)
        html += "<a href=\"#program-" + std::to_string(e.number) + "\">" + escaped(e.name) + "</a>";
    html += "</nav>\n</header>\n<main>\n";
    for (const DemoPageEntry& e : content.entries) {
        html += "<section class=\"program\" id=\"program-" + std::to_string(e.number) + "\">\n";
        html += "<h2><span class=\"number\">" + std::to_string(e.number) + "</span>" +
                escaped(e.name) + "</h2>\n";
        html += "<p>" + escaped(e.description) + "</p>\n";
        html += "<p><b>In this demo:</b> " + escaped(e.note) + "</p>\n";
        html += "<p class=\"muted\">Settings: <code>--program " + std::to_string(e.number) +
                (e.settings.empty() ? "" : " " + escaped(e.settings)) + "</code></p>\n";
        html += "<div class=\"pictures\">\n";
        html += "<figure><figcaption>Before <audio controls preload=\"metadata\" src=\"" +
                escaped(content.inputWav) + "\"></audio></figcaption><a href=\"" +
                escaped(content.inputPng) + "\"><img src=\"" + escaped(content.inputPng) +
                "\" width=\"960\" height=\"400\" alt=\"Spectrogram of the input\"></a>"
                "</figure>\n";
        html += "<figure><figcaption>After <audio controls preload=\"metadata\" src=\"" +
                escaped(e.outputWav) + "\"></audio></figcaption><a href=\"" + escaped(e.outputPng) +
                "\"><img src=\"" + escaped(e.outputPng) +
                "\" width=\"960\" height=\"400\" alt=\"Spectrogram of " + escaped(e.name) +
                "'s output\"></a></figure>\n";
        html += "</div>\n<div class=\"figures\"><span>peak <b>" + fixed(e.peakDb, 1) +
                " dB</b></span><span>rms <b>" + fixed(e.rmsDb, 1) +
                " dB</b></span><span>rendered in <b>" + fixed(e.milliseconds, 0) +
                " ms</b></span><span><b>" + fixed(e.realtime, 0) +
                "&times;</b> real time</span></div>\n</section>\n";
    }
    html += "</main>\n</body>\n</html>\n";
    return html;
}

} // namespace quorvel::cli
