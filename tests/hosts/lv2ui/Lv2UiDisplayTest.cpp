// The editor's binary under a real X server, loaded the way a host loads it: a parent window,
// the UI's descriptor from quorvel_ui.so, port events in, idle calls, and mouse clicks and key
// presses sent through XTest, with the port writes that result checked. Skipped without a
// display or without QUORVEL_DISPLAY_TESTS set; scripts/check-hosts runs it under Xvfb and checks
// the panel's picture for each family.

#include "hosts/lv2/Lv2PortTable.hpp"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/ui/ui.h>

// After gtest: Xlib's macros (None, Bool, Status) would break its templates.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using Write = std::pair<std::uint32_t, float>;
constexpr int kParentWidth = 700, kParentHeight = 520;

// One UI in its own parent window at (x, y) on the screen.
struct UiHost {
    UiHost(Display* display, const LV2UI_Descriptor* descriptor, int x, int y) : display(display) {
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), x, y, kParentWidth,
                                     kParentHeight, 0, 0, 0x808080);
        XMapWindow(display, parent);
        XSync(display, False);
        resize = {this, [](LV2UI_Feature_Handle h, int w, int ht) {
                      static_cast<UiHost*>(h)->size = {w, ht};
                      return 0;
                  }};
        LV2_Feature parentFeature{LV2_UI__parent, reinterpret_cast<void*>(parent)};
        LV2_Feature resizeFeature{LV2_UI__resize, &resize};
        LV2_Feature idleFeature{LV2_UI__idleInterface, nullptr};
        const LV2_Feature* features[] = {&parentFeature, &resizeFeature, &idleFeature, nullptr};
        handle = descriptor->instantiate(
            descriptor, Lv2PortTable::kStereoUri, QUORVEL_LV2_DIR "/quorvel.lv2/",
            [](LV2UI_Controller c, uint32_t port, uint32_t, uint32_t, const void* buffer) {
                static_cast<UiHost*>(const_cast<void*>(c))
                    ->writes.push_back({port, *static_cast<const float*>(buffer)});
            },
            this, &widget, features);
        idle = static_cast<const LV2UI_Idle_Interface*>(
            descriptor->extension_data(LV2_UI__idleInterface));
        this->descriptor = descriptor;
        origin = {x, y};
    }
    ~UiHost() {
        if (handle)
            descriptor->cleanup(handle);
        XDestroyWindow(display, parent);
        XSync(display, False);
    }
    void pump(int times = 10) {
        for (int i = 0; i < times; ++i) {
            idle->idle(handle);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    void click(int x, int y) {
        XTestFakeMotionEvent(display, -1, origin.first + x, origin.second + y, CurrentTime);
        XTestFakeButtonEvent(display, 1, True, CurrentTime);
        XTestFakeButtonEvent(display, 1, False, CurrentTime);
        XSync(display, False);
        pump();
    }
    void keys(std::initializer_list<KeySym> symbols) {
        for (KeySym symbol : symbols) {
            const KeyCode code = XKeysymToKeycode(display, symbol);
            XTestFakeKeyEvent(display, code, True, CurrentTime);
            XTestFakeKeyEvent(display, code, False, CurrentTime);
        }
        XSync(display, False);
        pump();
    }
    // The number of child windows of the parent (the UI's window while it is open).
    unsigned int children() {
        Window root, up, *list = nullptr;
        unsigned int count = 0;
        XQueryTree(display, parent, &root, &up, &list, &count);
        XFree(list);
        return count;
    }
    // With QUORVEL_SCREENSHOT_DIR set, dumps the panel's window there (xwd).
    void screenshot(const std::string& name) {
        const char* dir = std::getenv("QUORVEL_SCREENSHOT_DIR");
        const std::string id = std::to_string(uintptr_t(widget));
        if (dir) {
            EXPECT_EQ(std::system(("xwd -silent -id " + id + " -out " + dir + "/" + name).c_str()),
                      0);
        }
    }

    Display* display;
    const LV2UI_Descriptor* descriptor = nullptr;
    Window parent = 0;
    LV2UI_Resize resize{};
    LV2UI_Handle handle = nullptr;
    LV2UI_Widget widget = nullptr; // the panel's X window
    const LV2UI_Idle_Interface* idle = nullptr;
    std::pair<int, int> origin, size{0, 0};
    std::vector<Write> writes;
};

class UiDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        // It moves the pointer and types: only on a server meant for it, never a desktop.
        if (!std::getenv("QUORVEL_DISPLAY_TESTS") || !(display = XOpenDisplay(nullptr)))
            GTEST_SKIP() << "needs QUORVEL_DISPLAY_TESTS=1 and an X server (xvfb-run)";
        library = dlopen(QUORVEL_LV2_DIR "/quorvel.lv2/quorvel_ui.so", RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"));
        ASSERT_NE(entry, nullptr);
        descriptor = entry(0);
        ASSERT_NE(descriptor, nullptr);
    }
    void TearDown() override {
        if (display)
            XCloseDisplay(display);
    }
    Display* display = nullptr;
    void* library = nullptr; // stays loaded: FLTK keeps its display for the process
    const LV2UI_Descriptor* descriptor = nullptr;
};

constexpr std::uint32_t kProgram = Lv2PortTable::programPort(2);
// Anchors of the panel: the list's rows, column 0's lower value field, the family buttons.
int listRow(int row) {
    return 210 + 3 + 18 * row + 9; // below the frame, rows 18 pixels high
}

TEST_F(UiDisplay, ClicksAndTypingBecomePortWrites) {
    UiHost ui(display, descriptor, 0, 0);
    ASSERT_NE(ui.handle, nullptr);
    ui.pump();
    // The panel is the one child of the parent, at its origin, as big as it told the host.
    XWindowAttributes panel{};
    ASSERT_EQ(ui.children(), 1u);
    XGetWindowAttributes(display, Window(uintptr_t(ui.widget)), &panel);
    EXPECT_EQ(std::make_tuple(panel.x, panel.y, panel.width, panel.height),
              std::make_tuple(0, 0, ui.size.first, ui.size.second));
    EXPECT_EQ(ui.size, std::make_pair(680, 510)); // within the 700 x 520 parent
    const auto* resize =
        static_cast<const LV2UI_Resize*>(descriptor->extension_data(LV2_UI__resize));
    ASSERT_EQ(resize->ui_resize(ui.handle, 340, 255), 0); // the host shrinks it, and back
    ui.pump();
    XGetWindowAttributes(display, Window(uintptr_t(ui.widget)), &panel);
    EXPECT_EQ(std::make_pair(panel.width, panel.height), std::make_pair(340, 255));
    resize->ui_resize(ui.handle, 680, 510);
    ui.pump();

    ui.click(60, listRow(1)); // "Spectral Freeze"
    ASSERT_FALSE(ui.writes.empty());
    EXPECT_EQ(ui.writes.back(), Write(kProgram, 1.0f));
    ui.click(163 + 40, 208 + 9); // LowDecay's field
    ui.keys({XK_End, XK_BackSpace, XK_BackSpace, XK_BackSpace, XK_BackSpace, XK_BackSpace, XK_7,
             XK_period, XK_5, XK_Return}); // "20.00" becomes "7.5"
    EXPECT_EQ(Lv2PortTable::ports(2)[ui.writes.back().first].name, "LowDecay [sec]");
    EXPECT_EQ(ui.writes.back().second, 7.5f);
    ui.click(170 + 63 * 3 + 22, 123); // Fire on
    ui.click(170 + 63 * 4 + 22, 123); // Reset: pressed, released
    std::vector<std::pair<std::string, float>> named;
    for (auto it = ui.writes.end() - 4; it != ui.writes.end(); ++it)
        named.push_back({Lv2PortTable::ports(2)[it->first].name, it->second});
    EXPECT_EQ(named,
              (decltype(named){{"Fire", 1.0f}, {"Reset", 1.0f}, {"Fire", 0.0f}, {"Reset", 0.0f}}));
    const float clipped = 1.0f;
    descriptor->port_event(ui.handle, Lv2PortTable::clipPort(2), sizeof clipped, 0, &clipped);
    ui.pump();
    ui.screenshot("editor-short-time.xwd");

    ui.click(24 + 60, 124 + 12); // the harmonic family button
    EXPECT_EQ(ui.writes.back(), Write(kProgram, 7.0f));
    ui.screenshot("editor-harmonic.xwd");
}

TEST_F(UiDisplay, TwoEditorsShareNothingAndCloseLeavesNoWindow) {
    auto a = std::make_unique<UiHost>(display, descriptor, 0, 0);
    auto b = std::make_unique<UiHost>(display, descriptor, 0, 560);
    ASSERT_TRUE(a->handle && b->handle);
    const float harmonic = 7.0f; // only a's mirror goes harmonic
    descriptor->port_event(a->handle, kProgram, sizeof harmonic, 0, &harmonic);
    a->click(60, listRow(1));
    b->click(60, listRow(1));
    EXPECT_EQ(a->writes, (std::vector<Write>{{kProgram, 8.0f}}));
    EXPECT_EQ(b->writes, (std::vector<Write>{{kProgram, 1.0f}}));

    for (int round = 0; round < 3; ++round) {
        descriptor->cleanup(std::exchange(a->handle, nullptr));
        EXPECT_EQ(a->children(), 0u);
        a = std::make_unique<UiHost>(display, descriptor, 0, 0);
        ASSERT_NE(a->handle, nullptr);
        a->click(60, listRow(2)); // a fresh editor: the short-time list again
        EXPECT_EQ(a->writes, (std::vector<Write>{{kProgram, 2.0f}}));
    }
}

} // namespace
