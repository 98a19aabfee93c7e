#pragma once

// The editor's behaviour without a toolkit: what each control of the panel shows and what each
// user action does to the document. A widget layer (QuorvelGuiWindow) draws `state()` and hands
// every user action to `valueChanged` or `textEntered` under the control's tag; this class turns
// it into a document change and tells its `Output` what it changed, so the change can reach the
// plug-in.
//
// It is an observer of the document (id 0) while open: every change made by another writer
// updates the controls it concerns and tells the `Listener` which area of the panel to redraw.
// Everything here runs on the user-interface thread, notifications included.

#include "Quorvel/QuorvelDocument.hpp"
#include "orvane/Interface.hpp"

#include <array>
#include <string>
#include <vector>

class QuorvelGui : public orvane::Gui {
public:
    // The controls as `valueChanged` and `textEntered` tell them apart.
    enum Tag : int {
        kGainSlider = 0,
        kDryWetSlider = 1,
        kGainField = 2,
        kDryWetField = 3,
        kPresetList = 4,
        kHarmonicButton = 5,  // the lower family button: jumps to program 7
        kShortTimeButton = 6, // the upper family button: jumps to program 0
        kClipLight = 7,
        kFirstSlider = 9,       // column c's slider, slot c + 6
        kFirstKnob = 16,        // column c's knob, slot c
        kFirstSliderField = 23, // the value field under column c's label, slot c + 6
        kFirstKnobField = 30,   // the value field above column c's knob, slot c
        kFirstKickButton = 37,  // slot c
        kFirstOnOffButton = 45, // slot c
        kDescription = 33333,
        kMonophonicNotice = 44456,
        kVersionLabel = 44457
    };
    static constexpr unsigned int kColumnCount = 6;
    static constexpr unsigned int kSlotCount = QuorvelPreset::kSlotCount;
    static constexpr const char* kVersionText = "Version 1.0.2";
    static constexpr const char* kMonophonicText = "Use only monophonic input!";

    // What one slot shows: nothing while inactive; otherwise the widget of its control kind
    // (slots 0..5 in the upper row of column `slot % 6`, 6..11 in the lower row), its position
    // (0..1 for sliders and knobs, 1 or 0 for buttons), its value text (sliders and knobs only)
    // and the parameter's name.
    struct SlotView {
        bool active = false;
        KavControlKind kind = KavControlKind::Knob;
        unsigned int parameter = QuorvelPreset::kUnbound;
        float position = 0.0f;
        std::string text;
        std::string label;
    };
    struct ListItem {
        std::string name;
        unsigned int preset;
    };
    struct State {
        std::array<SlotView, kSlotCount> slots;
        float gainPosition = 0.0f;
        std::string gainText; // in dB
        float dryWetPosition = 0.0f;
        std::string dryWetText;
        bool clipLit = false;
        std::vector<ListItem> presetList; // the current family only, in preset order
        int selectedItem = -1;            // the current program's row in presetList
        bool shortTimeLit = false;
        bool harmonicLit = false;
        bool noticeShown = false;
        std::string description;
    };

    // The areas of the panel a change concerns.
    enum class Area { Slot, Gain, DryWet, Clip, Program };
    class Listener {
    public:
        virtual ~Listener() = default;
        // `slot` is meaningful for Area::Slot only. Program means: everything may have changed.
        virtual void guiChanged(Area area, unsigned int slot) = 0;
    };
    // Receives what the editor changed in the document, after the document took it.
    class Output {
    public:
        virtual ~Output() = default;
        // The editor set document parameter `index` to `value` (as asked; the document may hold
        // something else when one of its rules intervened).
        virtual void parameterEdited(unsigned int index, const orvane::AnyValue& value) = 0;
        // The editor activated program `preset`.
        virtual void programChosen(unsigned int preset) = 0;
        // A kick button bound to parameter `index` was let go: no document change.
        virtual void kickReleased(unsigned int index) = 0;
    };

    // Neither the document nor the output is owned; both outlive the editor.
    QuorvelGui(QuorvelDocument& document, Output& output);
    ~QuorvelGui() override;

    // Registers with the document and reads every value; `close` unregisters. Closing a closed
    // editor does nothing.
    void open();
    void close();
    bool isOpen() const { return m_open; }
    // Not owned; may be null.
    void setListener(Listener* listener) { m_listener = listener; }

    // A control's new value: a slider or knob position in 0..1, a button 1.0 or 0.0, a list row.
    // An unknown tag, or a slot control whose slot is inactive, is ignored.
    void valueChanged(int tag, float value);
    // Text typed into a value field (tags 2, 3, 23..28, 30..35). A text without a number changes
    // nothing and restores the field's text.
    void textEntered(int tag, const std::string& text);

    const State& state() const { return m_state; }
    unsigned int getCurrentPresetIndex() const { return m_currentPresetIndex; }

    void parameterChanged(unsigned int index, orvane::Parameter& parameter) override;
    void presetChanged() override;

private:
    void updateProgram();
    void updatePresetList();
    void updateCategoryButtons();
    void updateControls();
    void updateControl(unsigned int slot);
    void updateGain();
    void updateDryWet();
    void setParameter(unsigned int index, const orvane::AnyValue& value);
    void activate(unsigned int preset);
    void globalValueChanged(int tag, float value);
    void sliderMoved(unsigned int slot, float position);
    void buttonChanged(unsigned int slot, KavControlKind kind, float value);
    void slotTextEntered(unsigned int slot, const std::string& text);
    void globalTextEntered(unsigned int index, const std::string& text);
    void notify(Area area, unsigned int slot = 0);

    QuorvelDocument& m_document;
    Output& m_output;
    Listener* m_listener = nullptr;
    bool m_open = false;
    unsigned int m_currentPresetIndex = 0;
    const QuorvelPreset* m_currentPreset = nullptr;
    State m_state;
};
