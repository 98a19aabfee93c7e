#pragma once

// The editor's panel in FLTK widgets: a thin layer that draws a QuorvelGui's state and hands
// every user action to it under the control's tag. Widgets sit at the panel's layout anchors,
// scaled by `scale`; the panel is kWidth by kHeight pixels at scale 1.
//
// FLTK is not thread-safe: create, use and delete the window on the user-interface thread only.

#include "hosts/lv2/ui/QuorvelGui.hpp"

#include <FL/Fl_Double_Window.H>

#include <array>

class Fl_Box;
class Fl_Button;
class Fl_Dial;
class Fl_Hold_Browser;
class Fl_Input;
class Fl_Slider;
class Fl_Widget;

class QuorvelGuiWindow : public Fl_Double_Window, private QuorvelGui::Listener {
public:
    static constexpr int kWidth = 680;
    static constexpr int kHeight = 510;

    // Becomes `gui`'s listener and shows its state; `gui` is not owned and must be open.
    QuorvelGuiWindow(QuorvelGui& gui, double scale);
    ~QuorvelGuiWindow() override;

private:
    struct Column {
        Fl_Box* upperLabel;
        Fl_Input* knobField;
        Fl_Dial* knob;
        Fl_Button* kickButton;
        Fl_Button* onOffButton;
        Fl_Box* sliderLabel;
        Fl_Input* sliderField;
        Fl_Slider* slider;
    };

    void guiChanged(QuorvelGui::Area area, unsigned int slot) override;
    void build();
    void buildColumn(unsigned int c);
    void showSlot(unsigned int slot);
    void showProgram();
    void showGain();
    void showDryWet();
    void showClip();
    int px(double v) const;
    // Every widget's callback: the tag is the widget's user data.
    static void onValue(Fl_Widget* widget, void* self);
    static void onText(Fl_Widget* widget, void* self);

    QuorvelGui& m_gui;
    double m_scale;
    std::array<Column, QuorvelGui::kColumnCount> m_columns{};
    Fl_Hold_Browser* m_presetList = nullptr;
    Fl_Button* m_shortTimeButton = nullptr;
    Fl_Button* m_harmonicButton = nullptr;
    Fl_Box* m_notice = nullptr;
    Fl_Box* m_description = nullptr;
    Fl_Button* m_clipLight = nullptr;
    Fl_Slider* m_gainSlider = nullptr;
    Fl_Input* m_gainField = nullptr;
    Fl_Slider* m_dryWetSlider = nullptr;
    Fl_Input* m_dryWetField = nullptr;
};
