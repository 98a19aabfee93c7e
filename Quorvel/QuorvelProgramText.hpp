#pragma once

// The program text: the whole state of a document (the values of its stored parameters, the
// current program included) as one XML text, the form the host keeps in its saved state.
//
//   <?xml version="1.0" encoding="UTF-8" ?><?xml version="1.0" ?>
//   <QuorvelPresets VersionMajor="1" VersionMinor="0" PresetVersion="4">
//     <Parameters><Parameter id="0" value="1.00" />...</Parameters></QuorvelPresets>
//
// written without line breaks or indentation. One "Parameter" per parameter flagged stored, in
// ascending index order; values in their text form (floats with two decimals).
//
// Reading is split from applying: `read` checks a whole text against a document and changes
// nothing, so a text is applied entirely or not at all. Texts are untrusted input: they are
// bounded in size and nesting before the XML parser sees them, and every value must fit its
// parameter's type and range.

#include "orvane/AnyValue.hpp"
#include "orvane/Document.hpp"

#include <cstddef>
#include <string>
#include <vector>

namespace QuorvelProgramText {

constexpr int kVersionMajor = 1;
constexpr int kVersionMinor = 0;
constexpr int kPresetVersion = 4;
// Longer texts are refused unread; a full program text is about 2 KiB.
constexpr std::size_t kMaxTextSize = 1u << 20;
// Root, "Parameters", "Parameter": deeper element nesting is refused before parsing.
constexpr int kMaxNesting = 3;

struct Assignment {
    unsigned int index;
    orvane::AnyValue value;
};

// The program text of `document`'s current values, without a terminating NUL. A value outside
// its parameter's range is written clamped into it (a NaN, or a value whose type is not the
// parameter's, as the default), so that every text written here reads back.
std::string write(const orvane::Document& document);

// Checks the program text in `text`, which ends at its first NUL or after `length` bytes,
// whichever comes first, against the parameters of `document`. On success returns true and
// fills `assignments` with one entry per "Parameter" element, in text order (an index listed
// twice appears twice, the later one meant to win). On failure returns false and puts a
// one-line reason into `error`. Either way the document is not touched.
//
// Refused: a null or empty text; more than kMaxTextSize bytes; bytes that are not UTF-8; elements
// nested deeper than kMaxNesting, comments excepted any "<!" markup (CDATA, DOCTYPE), and a '<'
// inside a tag; text that is not well-formed XML; VersionMajor other than 1 or PresetVersion other
// than 4 (read as leading integers; missing or unreadable reads as 0); no "Parameters" element in
// the root; a "Parameter" element without "id" or "value"; an id that is not an index of the
// document, or names a parameter that is not stored (3, 4 "LevelClip"); a value that does not
// parse as the parameter's type (a Bool takes only "1" or "0"), is not finite, or lies outside
// the parameter's range.
bool read(const char* text, std::size_t length, const orvane::Document& document,
          std::vector<Assignment>& assignments, std::string& error);

} // namespace QuorvelProgramText
