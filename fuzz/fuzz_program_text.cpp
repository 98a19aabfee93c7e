// Arbitrary bytes as a program text. A refused text leaves the document as it was and gives a
// one-line reason; an accepted text stores the values it lists (the last of a repeated id
// wins), and the text saved from the result loads to the same values and saves identically.

#include "Quorvel/QuorvelDocument.hpp"
#include "Quorvel/QuorvelProgramText.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_program_text: %s\n", what);
        std::abort();
    }
}

std::vector<orvane::AnyValue> valuesOf(const QuorvelDocument& document) {
    std::vector<orvane::AnyValue> values;
    for (unsigned int i = 0; i < document.GetNumberOfParameters(); ++i)
        values.push_back(document.getParameter(i)->getValue());
    return values;
}

// Equal, but for the rounding of floats to the two decimals their text form keeps.
bool savedAs(const orvane::AnyValue& loaded, const orvane::AnyValue& stored) {
    if (stored.getType() != orvane::AnyValue::Float || loaded.getType() != stored.getType())
        return loaded == stored;
    return std::fabs(loaded.GetFloat() - stored.GetFloat()) <=
           0.005f + 1e-6f * std::fabs(stored.GetFloat());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    QuorvelDocument document;
    const std::vector<orvane::AnyValue> before = valuesOf(document);
    std::vector<QuorvelProgramText::Assignment> assignments;
    std::string readError;
    const bool valid = QuorvelProgramText::read(text, size, document, assignments, readError);
    std::string error;
    const bool loaded = document.loadProgramText(text, size, &error);
    require(valid == loaded, "read and load disagree");
    if (!loaded) {
        require(valuesOf(document) == before, "a refused text changed the document");
        require(!error.empty() && error == readError, "a refusal without its reason");
        require(error.find_first_of("\r\n") == std::string::npos, "a reason of several lines");
        return 0;
    }
    std::vector<orvane::AnyValue> expected = before;
    for (const QuorvelProgramText::Assignment& a : assignments)
        expected[a.index] = a.value;
    require(valuesOf(document) == expected, "an accepted text was not stored as it says");

    const std::string saved = document.getProgramText();
    QuorvelDocument again;
    require(again.loadProgramText(saved.data(), saved.size(), &error), "a saved text is refused");
    const std::vector<orvane::AnyValue> reloaded = valuesOf(again);
    for (size_t i = 0; i < reloaded.size(); ++i)
        require(savedAs(reloaded[i], expected[i]), "a saved text loads to other values");
    require(again.getProgramText() == saved, "a saved text does not save back identically");
    return 0;
}
