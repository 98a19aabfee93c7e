#include "hosts/lv2/ui/QuorvelGui.hpp"

#include "Quorvel/ValueConverters.hpp"

#include <cmath>

namespace {

constexpr std::size_t kTextSize = 64;

std::string valueText(const orvane::Parameter& parameter, KavParamValueUnit unit, bool units) {
    char buffer[kTextSize];
    Quorvel::ParameterToText(buffer, sizeof buffer, parameter, unit, units);
    return buffer;
}

bool isButton(KavControlKind kind) {
    return kind == KavControlKind::KickButton || kind == KavControlKind::OnOffButton;
}

} // namespace

QuorvelGui::QuorvelGui(QuorvelDocument& document, Output& output)
    : orvane::Gui(QuorvelDocument::kEditorObserverId, &document), m_document(document),
      m_output(output) {}

QuorvelGui::~QuorvelGui() {
    close();
}

void QuorvelGui::open() {
    if (m_open)
        return;
    m_document.addInterface(this);
    m_open = true;
    m_currentPresetIndex = m_document.getCurrentPresetNumber();
    m_currentPreset = &m_document.getCurrentPreset();
    updateProgram();
    updateGain();
    updateDryWet();
    m_state.clipLit = m_document.getParameter(ParameterIndex::LevelClip)->getValue().GetBool();
    notify(Area::Program);
}

void QuorvelGui::close() {
    if (!m_open)
        return;
    m_document.removeInterface(this);
    m_open = false;
}

void QuorvelGui::notify(Area area, unsigned int slot) {
    if (m_listener)
        m_listener->guiChanged(area, slot);
}

void QuorvelGui::updateProgram() {
    updatePresetList();
    updateControls();
    updateCategoryButtons();
    m_state.description = m_currentPreset->getHelpText();
}

void QuorvelGui::updatePresetList() {
    const KavCategoryIds family = m_currentPreset->getCategory();
    m_state.presetList.clear();
    m_state.selectedItem = -1;
    for (unsigned int n = 0; n < m_document.getPresetCount(); ++n) {
        const QuorvelPreset& preset = m_document.getQuorvelPreset(n);
        if (preset.getCategory() != family)
            continue;
        if (n == m_currentPresetIndex)
            m_state.selectedItem = int(m_state.presetList.size());
        m_state.presetList.push_back({preset.getName(), n});
    }
}

void QuorvelGui::updateCategoryButtons() {
    const bool harmonic = m_currentPreset->getCategory() == KavCategoryIds::HLN;
    m_state.shortTimeLit = !harmonic;
    m_state.harmonicLit = harmonic;
    m_state.noticeShown = harmonic;
}

void QuorvelGui::updateControls() {
    for (SlotView& slot : m_state.slots)
        slot = SlotView();
    for (unsigned int s = 0; s < kSlotCount; ++s)
        updateControl(s);
}

void QuorvelGui::updateControl(unsigned int s) {
    if (!m_currentPreset->isSlotActive(s))
        return;
    SlotView& view = m_state.slots[s];
    view.active = true;
    view.parameter = m_currentPreset->getSlotParameter(s);
    view.kind = m_currentPreset->getControlKind(s);
    const orvane::Parameter& parameter = *m_document.getParameter(view.parameter);
    if (isButton(view.kind)) {
        view.position = parameter.getValue().GetBool() ? 1.0f : 0.0f;
        view.text.clear();
    } else {
        view.position = Quorvel::DocumentToSliderConverter(parameter, m_currentPreset->getCurve(s));
        view.text = valueText(parameter, KavParamValueUnit::None, false);
    }
    view.label = parameter.getDetails().getName();
}

void QuorvelGui::updateGain() {
    const orvane::Parameter& gain = *m_document.getParameter(ParameterIndex::Gain);
    m_state.gainPosition = gain.getValue().GetFloat();
    m_state.gainText = valueText(gain, KavParamValueUnit::Decibel, true);
}

void QuorvelGui::updateDryWet() {
    const orvane::Parameter& dryWet = *m_document.getParameter(ParameterIndex::DryWet);
    m_state.dryWetPosition = Quorvel::DocumentToSliderConverter(dryWet, KavParamValueCurve::Linear);
    m_state.dryWetText = valueText(dryWet, KavParamValueUnit::None, false);
}

void QuorvelGui::setParameter(unsigned int index, const orvane::AnyValue& value) {
    m_document.updateParameter(index, value, this);
    m_output.parameterEdited(index, value);
}

void QuorvelGui::activate(unsigned int preset) {
    if (preset >= m_document.getPresetCount())
        return;
    m_document.activateProgram(preset);
    m_output.programChosen(preset);
}

void QuorvelGui::valueChanged(int tag, float value) {
    if (!m_open || !std::isfinite(value))
        return;
    const auto inColumns = [tag](int first) { return tag >= first && tag < first + 6; };
    if (inColumns(kFirstSlider))
        sliderMoved(unsigned(tag - kFirstSlider) + kColumnCount, value);
    else if (inColumns(kFirstKnob))
        sliderMoved(unsigned(tag - kFirstKnob), value);
    else if (inColumns(kFirstKickButton))
        buttonChanged(unsigned(tag - kFirstKickButton), KavControlKind::KickButton, value);
    else if (inColumns(kFirstOnOffButton))
        buttonChanged(unsigned(tag - kFirstOnOffButton), KavControlKind::OnOffButton, value);
    else
        globalValueChanged(tag, value);
}

void QuorvelGui::globalValueChanged(int tag, float value) {
    if (tag == kGainSlider) {
        setParameter(ParameterIndex::Gain, orvane::AnyValue(value));
        updateGain();
        notify(Area::Gain);
    } else if (tag == kDryWetSlider) {
        const orvane::Parameter& dryWet = *m_document.getParameter(ParameterIndex::DryWet);
        setParameter(ParameterIndex::DryWet,
                     Quorvel::SliderToDocumentConverter(dryWet, value, KavParamValueCurve::Linear));
        updateDryWet();
        notify(Area::DryWet);
    } else if (tag == kPresetList) {
        const long row = std::lround(value);
        if (row >= 0 && row < long(m_state.presetList.size()))
            activate(m_state.presetList[std::size_t(row)].preset);
    } else if (tag == kHarmonicButton) {
        activate(ProgramTable::kShortTimeProgramCount);
    } else if (tag == kShortTimeButton) {
        activate(0);
    } else if (tag == kClipLight) {
        // Only the editor's indicator goes dark: the plug-in's own flag clears after its hold.
        m_document.updateParameter(ParameterIndex::LevelClip, orvane::AnyValue(false), this);
        m_state.clipLit = false;
        notify(Area::Clip);
    }
}

void QuorvelGui::buttonChanged(unsigned int s, KavControlKind kind, float value) {
    const SlotView& view = m_state.slots[s];
    if (!view.active || view.kind != kind)
        return;
    if (kind == KavControlKind::KickButton) {
        // The kick button is left alone while held, whatever the document made of the press.
        if (value == 1.0f)
            setParameter(view.parameter, orvane::AnyValue(true));
        else
            m_output.kickReleased(view.parameter);
        return;
    }
    setParameter(view.parameter, orvane::AnyValue(value == 1.0f));
    // The document may keep the old value (a latch): the button shows what it holds.
    updateControl(s);
    notify(Area::Slot, s);
}

void QuorvelGui::sliderMoved(unsigned int s, float position) {
    const SlotView& view = m_state.slots[s];
    if (!view.active || isButton(view.kind))
        return;
    const orvane::Parameter& parameter = *m_document.getParameter(view.parameter);
    setParameter(view.parameter, Quorvel::SliderToDocumentConverter(parameter, position,
                                                                    m_currentPreset->getCurve(s)));
    // The control stays where the user put it (an integer's truncation must not pull it back,
    // or slow drags would never leave a value); the field shows what the document holds.
    m_state.slots[s].position = position;
    m_state.slots[s].text = valueText(parameter, KavParamValueUnit::None, false);
    notify(Area::Slot, s);
}

void QuorvelGui::textEntered(int tag, const std::string& text) {
    if (!m_open)
        return;
    if (tag == kGainField) {
        globalTextEntered(ParameterIndex::Gain, text);
    } else if (tag == kDryWetField) {
        globalTextEntered(ParameterIndex::DryWet, text);
    } else if (tag >= kFirstSliderField && tag < kFirstSliderField + 6) {
        slotTextEntered(unsigned(tag - kFirstSliderField) + kColumnCount, text);
    } else if (tag >= kFirstKnobField && tag < kFirstKnobField + 6) {
        slotTextEntered(unsigned(tag - kFirstKnobField), text);
    }
}

void QuorvelGui::globalTextEntered(unsigned int index, const std::string& text) {
    const bool gain = index == ParameterIndex::Gain;
    char buffer[kTextSize];
    text.copy(buffer, sizeof buffer - 1);
    buffer[std::min(text.size(), sizeof buffer - 1)] = '\0';
    orvane::AnyValue value;
    if (Quorvel::TextToParameter(buffer, sizeof buffer, *m_document.getParameter(index), value,
                                 gain ? KavParamValueUnit::Decibel : KavParamValueUnit::None,
                                 false))
        setParameter(index, value);
    // On success and failure alike the field shows the stored value again.
    gain ? updateGain() : updateDryWet();
    notify(gain ? Area::Gain : Area::DryWet);
}

void QuorvelGui::slotTextEntered(unsigned int s, const std::string& text) {
    const SlotView& view = m_state.slots[s];
    if (!view.active || isButton(view.kind))
        return;
    char buffer[kTextSize];
    text.copy(buffer, sizeof buffer - 1);
    buffer[std::min(text.size(), sizeof buffer - 1)] = '\0';
    orvane::AnyValue value;
    if (Quorvel::TextToParameter(buffer, sizeof buffer, *m_document.getParameter(view.parameter),
                                 value, KavParamValueUnit::None, false))
        setParameter(view.parameter, value);
    updateControl(s);
    notify(Area::Slot, s);
}

void QuorvelGui::parameterChanged(unsigned int index, orvane::Parameter&) {
    if (index == ParameterIndex::Gain) {
        updateGain();
        notify(Area::Gain);
    } else if (index == ParameterIndex::DryWet) {
        updateDryWet();
        notify(Area::DryWet);
    } else if (index == ParameterIndex::LevelClip) {
        m_state.clipLit = m_document.getParameter(index)->getValue().GetBool();
        notify(Area::Clip);
    } else if (m_currentPreset) {
        const unsigned int s = m_currentPreset->getParameterPosition(index);
        if (s != QuorvelPreset::kUnbound) {
            updateControl(s);
            notify(Area::Slot, s);
        }
    }
}

void QuorvelGui::presetChanged() {
    m_currentPresetIndex = m_document.getCurrentPresetNumber();
    m_currentPreset = &m_document.getCurrentPreset();
    updateProgram();
    notify(Area::Program);
}
