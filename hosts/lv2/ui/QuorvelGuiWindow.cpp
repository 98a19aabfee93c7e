#include "hosts/lv2/ui/QuorvelGuiWindow.hpp"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Dial.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Light_Button.H>
#include <FL/Fl_Slider.H>

#include <cmath>

namespace {

// A dark, quiet panel: light text, one accent for what is lit.
const Fl_Color kPanel = fl_rgb_color(38, 42, 50);
const Fl_Color kFrame = fl_rgb_color(58, 64, 76);
const Fl_Color kText = fl_rgb_color(225, 228, 232);
const Fl_Color kAccent = fl_rgb_color(236, 170, 60);
const Fl_Color kWarning = fl_rgb_color(240, 96, 80);
const Fl_Color kField = fl_rgb_color(20, 22, 27);

// Column c's left edge and the anchors of its elements, relative to it.
constexpr int kColumnLeft = 163;
constexpr int kColumnPitch = 63;
constexpr int kColumnWidth = 58;

// The preset list: rows of a fixed height, whatever the font.
class PresetList : public Fl_Hold_Browser {
public:
    PresetList(int x, int y, int w, int h, int rowHeight)
        : Fl_Hold_Browser(x, y, w, h), m_rowHeight(rowHeight) {}

protected:
    int item_height(void*) const override { return m_rowHeight; }

private:
    int m_rowHeight;
};

// A knob turned by dragging up and down (or sideways) rather than around: 200 pixels of travel
// cover the whole range.
class LinearKnob : public Fl_Dial {
public:
    LinearKnob(int x, int y, int w, int h) : Fl_Dial(x, y, w, h) {}

    int handle(int event) override {
        switch (event) {
        case FL_PUSH:
            m_lastX = Fl::event_x();
            m_lastY = Fl::event_y();
            handle_push();
            return 1;
        case FL_DRAG: {
            const int travel = (Fl::event_x() - m_lastX) - (Fl::event_y() - m_lastY);
            m_lastX = Fl::event_x();
            m_lastY = Fl::event_y();
            const double span = maximum() - minimum();
            handle_drag(clamp(value() + span * travel / kTravelPixels));
            return 1;
        }
        case FL_RELEASE:
            handle_release();
            return 1;
        default:
            return Fl_Dial::handle(event);
        }
    }

private:
    static constexpr double kTravelPixels = 200.0;
    int m_lastX = 0;
    int m_lastY = 0;
};

void* tagData(int tag) {
    return reinterpret_cast<void*>(static_cast<long>(tag));
}

QuorvelGuiWindow& ownerOf(Fl_Widget* widget) {
    return *static_cast<QuorvelGuiWindow*>(widget->top_window());
}

void setVisible(Fl_Widget* widget, bool visible) {
    if (visible)
        widget->show();
    else
        widget->hide();
}

} // namespace

QuorvelGuiWindow::QuorvelGuiWindow(QuorvelGui& gui, double scale)
    : Fl_Double_Window(int(std::lround(kWidth * scale)), int(std::lround(kHeight * scale))),
      m_gui(gui), m_scale(scale > 0.0 ? scale : 1.0) {
    color(kPanel);
    label("Quorvel"); // the title when a host shows the panel on its own
    begin();
    build();
    end();
    resizable(this); // a resized panel scales its widgets
    m_gui.setListener(this);
    showProgram();
}

QuorvelGuiWindow::~QuorvelGuiWindow() {
    m_gui.setListener(nullptr);
}

int QuorvelGuiWindow::px(double v) const {
    return int(std::lround(v * m_scale));
}

void QuorvelGuiWindow::build() {
    const int small = px(10), normal = px(12);
    auto* title = new Fl_Box(px(12), px(12), px(140), px(28), "Quorvel");
    title->labelsize(px(22));
    title->labelfont(FL_HELVETICA_BOLD);
    title->labelcolor(kText);
    title->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT);
    auto* version = new Fl_Box(px(12), px(43), px(55), px(12), QuorvelGui::kVersionText);
    version->labelsize(small);
    version->labelcolor(kText);
    version->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT);

    m_shortTimeButton = new Fl_Light_Button(px(24), px(84), px(120), px(24), "Short-time");
    m_shortTimeButton->callback(onValue, tagData(QuorvelGui::kShortTimeButton));
    m_harmonicButton = new Fl_Light_Button(px(24), px(124), px(120), px(24), "Harmonic");
    m_harmonicButton->callback(onValue, tagData(QuorvelGui::kHarmonicButton));
    for (Fl_Button* button : {m_shortTimeButton, m_harmonicButton}) {
        button->labelsize(normal);
        button->selection_color(kAccent);
    }
    m_notice = new Fl_Box(px(19), px(147), px(130), px(14), QuorvelGui::kMonophonicText);
    m_notice->labelsize(small);
    m_notice->labelcolor(kWarning);
    m_notice->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT);

    m_presetList = new PresetList(px(19), px(210), px(129), px(194), px(18));
    m_presetList->textsize(px(11));
    m_presetList->has_scrollbar(Fl_Browser_::VERTICAL);
    m_presetList->textcolor(kText);
    m_presetList->color(kField, kAccent);
    m_presetList->callback(onValue, tagData(QuorvelGui::kPresetList));

    for (unsigned int c = 0; c < QuorvelGui::kColumnCount; ++c)
        buildColumn(c);

    m_dryWetSlider = new Fl_Slider(px(545), px(205), px(40), px(200), "Dry/Wet");
    m_dryWetSlider->callback(onValue, tagData(QuorvelGui::kDryWetSlider));
    m_gainSlider = new Fl_Slider(px(601), px(205), px(40), px(200), "Gain");
    m_gainSlider->callback(onValue, tagData(QuorvelGui::kGainSlider));
    m_dryWetField = new Fl_Input(px(538), px(159), px(56), px(20));
    m_dryWetField->callback(onText, tagData(QuorvelGui::kDryWetField));
    m_gainField = new Fl_Input(px(612), px(159), px(62), px(20));
    m_gainField->callback(onText, tagData(QuorvelGui::kGainField));
    for (Fl_Slider* slider : {m_dryWetSlider, m_gainSlider}) {
        slider->type(FL_VERT_NICE_SLIDER);
        slider->bounds(1.0, 0.0); // the top is full scale
        slider->color(kField);
        slider->labelsize(small);
        slider->labelcolor(kText);
    }
    for (Fl_Input* field : {m_dryWetField, m_gainField}) {
        field->textsize(small);
        field->textcolor(kText);
        field->color(kField);
        field->cursor_color(kText);
        field->when(FL_WHEN_ENTER_KEY | FL_WHEN_RELEASE); // only text the user changed
    }

    m_clipLight = new Fl_Button(px(558), px(68), px(16), px(16), "Clip");
    m_clipLight->box(FL_ROUND_UP_BOX);
    m_clipLight->align(FL_ALIGN_RIGHT);
    m_clipLight->labelsize(small);
    m_clipLight->labelcolor(kText);
    m_clipLight->callback(onValue, tagData(QuorvelGui::kClipLight));

    m_description = new Fl_Box(px(30), px(455), px(500), px(44));
    m_description->box(FL_FLAT_BOX);
    m_description->color(kFrame);
    m_description->labelcolor(FL_WHITE);
    m_description->labelsize(small);
    m_description->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_WRAP);
}

void QuorvelGuiWindow::buildColumn(unsigned int c) {
    const int left = kColumnLeft + kColumnPitch * int(c);
    const int small = px(10);
    Column& column = m_columns[c];
    column.upperLabel = new Fl_Box(px(left + 2), px(69), px(kColumnWidth), px(28));
    column.knobField = new Fl_Input(px(left), px(98), px(kColumnWidth - 2), px(18));
    column.knob = new LinearKnob(px(left + 9), px(118), px(48), px(48));
    column.kickButton = new Fl_Button(px(left + 7), px(111), px(44), px(24), "Go");
    column.onOffButton = new Fl_Light_Button(px(left + 7), px(111), px(44), px(24), "On");
    column.sliderLabel = new Fl_Box(px(left + 2), px(174), px(kColumnWidth), px(30));
    column.sliderField = new Fl_Input(px(left), px(208), px(kColumnWidth - 2), px(18));
    column.slider = new Fl_Slider(px(left + 5), px(240), px(40), px(200));

    for (Fl_Box* label : {column.upperLabel, column.sliderLabel}) {
        label->labelsize(small);
        label->labelcolor(kText);
        label->align(FL_ALIGN_INSIDE | FL_ALIGN_WRAP | FL_ALIGN_BOTTOM);
    }
    for (Fl_Input* field : {column.knobField, column.sliderField}) {
        field->textsize(small);
        field->textcolor(kText);
        field->color(kField);
        field->cursor_color(kText);
        field->when(FL_WHEN_ENTER_KEY | FL_WHEN_RELEASE); // only text the user changed
    }
    column.knobField->callback(onText, tagData(QuorvelGui::kFirstKnobField + int(c)));
    column.sliderField->callback(onText, tagData(QuorvelGui::kFirstSliderField + int(c)));
    column.knob->type(FL_FILL_DIAL);
    column.knob->angles(45, 315);
    column.knob->color(kField, kAccent);
    column.knob->callback(onValue, tagData(QuorvelGui::kFirstKnob + int(c)));
    // A kick button reports both its press and its release.
    column.kickButton->when(FL_WHEN_CHANGED);
    column.kickButton->callback(onValue, tagData(QuorvelGui::kFirstKickButton + int(c)));
    column.onOffButton->selection_color(kAccent);
    column.onOffButton->callback(onValue, tagData(QuorvelGui::kFirstOnOffButton + int(c)));
    for (Fl_Button* button : {column.kickButton, column.onOffButton})
        button->labelsize(small);
    column.slider->type(FL_VERT_NICE_SLIDER);
    column.slider->bounds(1.0, 0.0);
    column.slider->color(kField);
    column.slider->callback(onValue, tagData(QuorvelGui::kFirstSlider + int(c)));
}

void QuorvelGuiWindow::onValue(Fl_Widget* widget, void* data) {
    const int tag = int(reinterpret_cast<long>(data));
    QuorvelGui& gui = ownerOf(widget).m_gui;
    if (tag == QuorvelGui::kPresetList) {
        const int line = static_cast<Fl_Hold_Browser*>(widget)->value();
        if (line > 0)
            gui.valueChanged(tag, float(line - 1));
    } else if (tag == QuorvelGui::kShortTimeButton || tag == QuorvelGui::kHarmonicButton ||
               tag == QuorvelGui::kClipLight) {
        // A click, whatever the light shows: the program change relights the family buttons.
        gui.valueChanged(tag, 1.0f);
    } else if (auto* valuator = dynamic_cast<Fl_Valuator*>(widget)) {
        gui.valueChanged(tag, float(valuator->value()));
    } else if (auto* button = dynamic_cast<Fl_Button*>(widget)) {
        gui.valueChanged(tag, button->value() ? 1.0f : 0.0f);
    }
}

void QuorvelGuiWindow::onText(Fl_Widget* widget, void* data) {
    ownerOf(widget).m_gui.textEntered(int(reinterpret_cast<long>(data)),
                                      static_cast<Fl_Input*>(widget)->value());
}

void QuorvelGuiWindow::guiChanged(QuorvelGui::Area area, unsigned int slot) {
    switch (area) {
    case QuorvelGui::Area::Slot:
        showSlot(slot);
        break;
    case QuorvelGui::Area::Gain:
        showGain();
        break;
    case QuorvelGui::Area::DryWet:
        showDryWet();
        break;
    case QuorvelGui::Area::Clip:
        showClip();
        break;
    case QuorvelGui::Area::Program:
        showProgram();
        break;
    }
}

void QuorvelGuiWindow::showSlot(unsigned int slot) {
    // A slot's widget is the one its kind names; the column shows the widgets of both its slots
    // (upper and lower) and hides the rest.
    const unsigned int c = slot % QuorvelGui::kColumnCount;
    Column& column = m_columns[c];
    bool knob = false, slider = false, kick = false, onOff = false;
    column.upperLabel->copy_label("");
    column.sliderLabel->copy_label("");
    for (unsigned int s : {c, c + QuorvelGui::kColumnCount}) {
        const QuorvelGui::SlotView& view = m_gui.state().slots[s];
        if (!view.active)
            continue;
        const bool on = view.position == 1.0f;
        switch (view.kind) {
        case KavControlKind::Slider:
            slider = true;
            column.slider->value(view.position);
            column.sliderField->value(view.text.c_str());
            column.sliderLabel->copy_label(view.label.c_str());
            continue;
        case KavControlKind::Knob:
            knob = true;
            column.knob->value(view.position);
            column.knobField->value(view.text.c_str());
            break;
        case KavControlKind::KickButton:
            // Momentary: it shows the user's hand, never the document, so that every press
            // comes back as its release (a freeze's Reset drops in the document at once).
            kick = true;
            break;
        case KavControlKind::OnOffButton:
            onOff = true;
            column.onOffButton->value(on);
            break;
        }
        column.upperLabel->copy_label(view.label.c_str());
    }
    setVisible(column.knob, knob);
    setVisible(column.knobField, knob);
    setVisible(column.kickButton, kick);
    setVisible(column.onOffButton, onOff);
    setVisible(column.slider, slider);
    setVisible(column.sliderField, slider);
    redraw();
}

void QuorvelGuiWindow::showProgram() {
    const QuorvelGui::State& state = m_gui.state();
    m_presetList->clear();
    for (const QuorvelGui::ListItem& item : state.presetList)
        m_presetList->add(item.name.c_str());
    if (state.selectedItem >= 0)
        m_presetList->select(state.selectedItem + 1);
    m_shortTimeButton->value(state.shortTimeLit);
    m_harmonicButton->value(state.harmonicLit);
    setVisible(m_notice, state.noticeShown);
    m_description->copy_label(state.description.c_str());
    for (unsigned int s = 0; s < QuorvelGui::kSlotCount; ++s)
        showSlot(s);
    showGain();
    showDryWet();
    showClip();
    redraw();
}

void QuorvelGuiWindow::showGain() {
    m_gainSlider->value(m_gui.state().gainPosition);
    m_gainField->value(m_gui.state().gainText.c_str());
}

void QuorvelGuiWindow::showDryWet() {
    m_dryWetSlider->value(m_gui.state().dryWetPosition);
    m_dryWetField->value(m_gui.state().dryWetText.c_str());
}

void QuorvelGuiWindow::showClip() {
    m_clipLight->color(m_gui.state().clipLit ? kWarning : kFrame);
    m_clipLight->redraw();
}
