#pragma once

#include "Quorvel/QuorvelPreset.hpp"
#include "orvane/Interface.hpp"
#include "orvane/Parameter.hpp"

#include <array>
#include <memory>

class QuorvelDocument;

// The host's view of the document: fourteen float parameters in 0..1. Host indices 0..5 are
// "Control 1".."Control 6" and 6..11 "Slider 1".."Slider 6", slots whose meaning follows the
// current preset (each is bound to one document parameter or empty); 12 is "Gain" and 13
// "Dry/Wet", the document's own parameters.
//
// Host automation (`handleAutomationFromDaw`, any thread, under the base's lock, dropped while
// suspended or not finite) is clamped into 0..1, converted by the linear curve and written to
// the bound document parameter with this map as the source. Changes made by anyone else reach
// the host through `orvane::Host::sendAutomationToDaw`, converted back. A preset change rebinds
// the slots and calls the host's `programChanged`. Document notifications take no lock.
class QuorvelAutomation : public orvane::Automation {
public:
    static constexpr unsigned int kSlotCount = QuorvelPreset::kSlotCount;
    static constexpr unsigned int kGainIndex = kSlotCount;
    static constexpr unsigned int kDryWetIndex = kSlotCount + 1;
    static constexpr unsigned int kParameterCount = kSlotCount + 2;

    // Registers with `document` (neither it nor `host` is owned; `host` may be null) and builds
    // the slots from the current preset.
    QuorvelAutomation(unsigned int id, QuorvelDocument* document, orvane::Host* host);
    ~QuorvelAutomation() override;

    void parameterChanged(unsigned int index, orvane::Parameter& parameter) override;
    void presetChanged() override;
    unsigned int getNumberOfParameters() const override { return kParameterCount; }
    // The host parameter at `index`; 14 or more is a fatal assertion ("index < kParameterCount").
    orvane::Parameter* getParameter(unsigned int index) const override;
    void doHandleAutomationFromDaw(unsigned int index, float value) override;

    unsigned int getCurrentPresetIndex() const { return m_currentPresetIndex; }
    const QuorvelPreset& getCurrentPreset() const { return *m_currentPreset; }

private:
    void bindSlots();
    // The host position of the document parameter bound to `slot`; 0 for an empty slot.
    float boundPosition(unsigned int slot) const;
    void sendToHost(unsigned int index, float value);

    QuorvelDocument& m_quorvelDocument;
    unsigned int m_currentPresetIndex = 0;
    const QuorvelPreset* m_currentPreset = nullptr;
    std::array<std::unique_ptr<orvane::Parameter>, kSlotCount> m_slots;
};
