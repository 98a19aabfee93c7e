#pragma once

#include "Quorvel/ProgramParameters/ProgramDescription.hpp"
#include "orvane/Preset.hpp"

#include <array>
#include <map>
#include <string>

// One program's presentation and wiring: its family, its help text, the layout of its
// parameters on the twelve control slots shared by the editor and the host automation (slots
// 0..5 the upper controls of the editor's six columns, 6..11 the lower ones), each slot's
// control kind and value curve, and the number under which each parameter reaches the program's
// effect.
//
// A preset carries no values that are ever applied: the base's values hold each parameter's
// default for reference, and `Activate` is never called. The document builds one preset per
// program and owns it; after construction a preset is only read, from any thread.
class QuorvelPreset : public orvane::Preset {
public:
    static constexpr unsigned int kSlotCount = 12;
    // An empty slot's parameter, and the answer for a parameter this program does not have.
    static constexpr unsigned int kUnbound = 65000;

    // All slots start unbound: inactive, parameter kUnbound, kind Knob, curve Linear.
    QuorvelPreset(unsigned int id, KavCategoryIds category, std::string name, std::string helpText);
    ~QuorvelPreset() override;

    // Binds `slot` to document parameter `parameterIndex`, whose default is `defaultValue`, with
    // effect parameter number `effectParameter`. Done only while the document is built. A slot
    // of 12 or more is a fatal assertion ("slot < kSlotCount"); binding a slot twice is a fatal
    // assertion ("!ps->m_isActive[npos]").
    void bindSlot(unsigned int slot, unsigned int parameterIndex, orvane::AnyValue defaultValue,
                  unsigned int effectParameter, KavControlKind kind, KavParamValueCurve curve);

    // The slot bound to document parameter `index`, or kUnbound.
    unsigned int getParameterPosition(long index) const;
    // The effect parameter number of document parameter `index`, or kUnbound when the
    // parameter does not belong to this program.
    unsigned int getDspParameter(long index) const;

    KavCategoryIds getCategory() const { return m_category; }
    const std::string& getHelpText() const { return m_helpText; }

    // Per-slot entries; `slot` must be below kSlotCount (fatal assertion "slot < kSlotCount").
    bool isSlotActive(unsigned int slot) const;
    unsigned int getSlotParameter(unsigned int slot) const; // kUnbound for an empty slot
    KavControlKind getControlKind(unsigned int slot) const;
    KavParamValueCurve getCurve(unsigned int slot) const;

private:
    KavCategoryIds m_category;
    std::string m_helpText;
    std::array<KavControlKind, kSlotCount> m_controlKind;
    std::array<bool, kSlotCount> m_isActive;
    std::array<unsigned int, kSlotCount> m_slotParameter;
    std::array<KavParamValueCurve, kSlotCount> m_curve;
    std::map<unsigned int, unsigned int> m_slotOfParameter; // parameter index -> slot
    std::map<unsigned int, unsigned int> m_effectParameter; // parameter index -> k
};
