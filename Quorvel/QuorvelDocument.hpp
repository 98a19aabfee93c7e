#pragma once

#include "Quorvel/ProgramParameters/ProgramTable.hpp"
#include "Quorvel/QuorvelPreset.hpp"
#include "orvane/Document.hpp"

#include <cstddef>
#include <string>

// The plug-in's document: the 57 parameters of the program table (Quorvel/ProgramParameters)
// and one QuorvelPreset per program, in preset order. It is the only store of parameter
// values; every writer goes through `updateParameter`, which tells every other observer.
//
// Spectral Freeze's buttons form a latch. "Fire" (24) cannot be switched off by any observer:
// a false for it while it is on is answered by telling the source the stored true again, and
// true is stored and broadcast. "Reset" (25) is ignored while Fire is off; otherwise it reaches
// every observer as usual, and then both buttons drop to false in the document and every
// observer except the engine is told so (the engine keeps the Reset it just received).
//
// Like its base it has no lock: the host adapter serialises writers.
class QuorvelDocument : public orvane::Document {
public:
    // Observer ids: who writes a change, and who is therefore not told about it.
    static constexpr unsigned int kEditorObserverId = 0;
    static constexpr unsigned int kEngineObserverId = 1;
    static constexpr unsigned int kAutomationObserverId = 2;

    // Builds every parameter at its default and every preset; the current program is preset 0.
    QuorvelDocument();
    ~QuorvelDocument() override;

    // The base rule with Spectral Freeze's latch (above). A "CurrentPreset" value that is not
    // an Int naming a preset is ignored: nothing is stored and nobody is told.
    void updateParameter(unsigned int index, orvane::AnyValue value,
                         orvane::Interface* source) override;
    // Stores `program` into "CurrentPreset" without notification, then suspends every observer,
    // tells each `presetChanged()` and resumes them. `program` must be a preset number (fatal
    // assertion "program < getPresetCount()" otherwise).
    void activateProgram(unsigned int program) override;

    // Hands out a new NUL-terminated array (owned by the caller, delete[]) holding the program
    // text, and returns its length, the NUL included.
    int storeProgram(char** text) override;
    // Loads a program text of at most `length` bytes (it may end earlier at a NUL). The text is
    // checked entirely first; only a valid text changes anything: its values are stored, its
    // current program is activated, and Gain and Dry/Wet are broadcast to every observer.
    // Returns false, changing nothing and telling nobody, for any invalid text (see
    // QuorvelProgramText::read) or a negative length.
    bool loadProgram(char* text, int length) override;

    // The same text as `storeProgram`, without the NUL.
    std::string getProgramText() const;
    // `loadProgram` that also says why a text was refused: on failure, when `error` is not
    // null, it receives a one-line reason.
    bool loadProgramText(const char* text, std::size_t length, std::string* error = nullptr);

    // The preset of a program; `presetNumber` must be below getPresetCount() (fatal assertion).
    QuorvelPreset& getQuorvelPreset(unsigned int presetNumber) const;
    // The value of "CurrentPreset", and that preset.
    unsigned int getCurrentPresetNumber() const;
    QuorvelPreset& getCurrentPreset() const;

private:
    void createParameter(const ParameterDescription& description);
    void createProgram(const ProgramDescription& program);
    bool isFireOn() const;
    void releaseFreeze();
};
