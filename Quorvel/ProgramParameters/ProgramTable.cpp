#include "Quorvel/ProgramParameters/ProgramTable.hpp"

#include "orvane/Assert.hpp"

namespace ProgramTable {
namespace {

// The table is checked while compiling: a slip in a row (an index used twice, two parameters on
// one slot, a default outside its range) fails the build instead of misrouting a control.

constexpr bool sameText(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

constexpr bool isWholeNumber(float value) {
    return static_cast<float>(static_cast<long>(value)) == value;
}

constexpr bool everyIndexDescribedOnce() {
    int seen[kParameterCount] = {};
    for (unsigned int i = 0; i < std::size(ParametersGlobal); ++i) {
        if (ParametersGlobal[i].index != i)
            return false;
        ++seen[i];
    }
    for (const ProgramDescription* program : kPrograms) {
        for (const ProgramParameterDescription& row : *program) {
            if (row.parameter.index >= kParameterCount)
                return false;
            ++seen[row.parameter.index];
        }
    }
    for (int count : seen) {
        if (count != 1)
            return false;
    }
    return true;
}

constexpr bool programsInPresetOrder() {
    for (unsigned int n = 0; n < kProgramCount; ++n) {
        const KavCategoryIds expected =
            n < kShortTimeProgramCount ? KavCategoryIds::SFFT : KavCategoryIds::HLN;
        if (kPrograms[n]->presetNumber != n || kPrograms[n]->category != expected)
            return false;
    }
    return true;
}

// Program ids 0..15 except 3, each used once.
constexpr bool programIdsDistinct() {
    bool used[16] = {};
    for (const ProgramDescription* program : kPrograms) {
        if (program->id >= 16 || program->id == 3 || used[program->id])
            return false;
        used[program->id] = true;
    }
    return true;
}

// Within a program: slots below 12 and distinct; effect numbers 0..n-1, each once; names
// distinct.
constexpr bool wiringConsistent() {
    for (const ProgramDescription* program : kPrograms) {
        bool slotUsed[kSlotCount] = {};
        bool numberUsed[kSlotCount] = {};
        for (const ProgramParameterDescription& row : *program) {
            if (row.slot >= kSlotCount || slotUsed[row.slot])
                return false;
            if (row.effectParameter >= program->parameterCount || numberUsed[row.effectParameter])
                return false;
            slotUsed[row.slot] = true;
            numberUsed[row.effectParameter] = true;
            for (const ProgramParameterDescription& other : *program) {
                if (&other != &row && sameText(other.parameter.name, row.parameter.name))
                    return false;
            }
        }
    }
    return true;
}

constexpr bool valueDescribed(const ParameterDescription& p) {
    if (!(p.minValue <= p.defaultValue && p.defaultValue <= p.maxValue))
        return false;
    if (p.type == orvane::AnyValue::Bool)
        return p.minValue == 0.0f && p.maxValue == 1.0f && isWholeNumber(p.defaultValue);
    if (p.type == orvane::AnyValue::Int)
        return isWholeNumber(p.minValue) && isWholeNumber(p.maxValue) &&
               isWholeNumber(p.defaultValue);
    return p.type == orvane::AnyValue::Float;
}

// Program controls are automatable and stored (5); "Gain [dB]" of the peak/notch also carries
// the unused bit 2.
constexpr bool valuesAndFlagsDescribed() {
    for (const ParameterDescription& p : ParametersGlobal) {
        if (!valueDescribed(p))
            return false;
    }
    for (const ProgramDescription* program : kPrograms) {
        for (const ProgramParameterDescription& row : *program) {
            const unsigned int expectedFlags = row.parameter.index == 7 ? 7u : 5u;
            if (!valueDescribed(row.parameter) || row.parameter.flags != expectedFlags)
                return false;
        }
    }
    return true;
}

static_assert(everyIndexDescribedOnce(), "every parameter index 0..56 is described exactly once");
static_assert(programsInPresetOrder(), "programs are listed by preset number, SFFT first");
static_assert(programIdsDistinct(), "program ids are distinct");
static_assert(wiringConsistent(), "slots, effect numbers and names are distinct per program");
static_assert(valuesAndFlagsDescribed(), "defaults lie in their ranges; flags as documented");

struct IndexEntry {
    const ParameterDescription* parameter = nullptr;
    const ProgramParameterDescription* row = nullptr;
    const ProgramDescription* program = nullptr;
};

constexpr std::array<IndexEntry, kParameterCount> makeIndex() {
    std::array<IndexEntry, kParameterCount> entries{};
    for (const ParameterDescription& p : ParametersGlobal)
        entries[p.index].parameter = &p;
    for (const ProgramDescription* program : kPrograms) {
        for (const ProgramParameterDescription& row : *program)
            entries[row.parameter.index] = {&row.parameter, &row, program};
    }
    return entries;
}

constexpr std::array<IndexEntry, kParameterCount> kByIndex = makeIndex();

} // namespace

const ProgramDescription& program(unsigned int presetNumber) {
    ORVANE_ASSERT(presetNumber < kProgramCount);
    return *kPrograms[presetNumber];
}

const ParameterDescription& parameter(unsigned int index) {
    ORVANE_ASSERT(index < kParameterCount);
    return *kByIndex[index].parameter;
}

const ProgramParameterDescription* programParameter(unsigned int index) {
    return index < kParameterCount ? kByIndex[index].row : nullptr;
}

const ProgramDescription* programOfParameter(unsigned int index) {
    return index < kParameterCount ? kByIndex[index].program : nullptr;
}

const ProgramDescription* findProgram(std::string_view name) {
    for (const ProgramDescription* program : kPrograms) {
        if (name == program->name)
            return program;
    }
    return nullptr;
}

const ProgramParameterDescription* findParameter(const ProgramDescription& program,
                                                 std::string_view name) {
    for (const ProgramParameterDescription& row : program) {
        if (name == row.parameter.name)
            return &row;
    }
    return nullptr;
}

} // namespace ProgramTable
