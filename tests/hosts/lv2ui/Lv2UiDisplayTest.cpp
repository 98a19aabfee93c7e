// The editor's binary under a real X server, loaded the way a host loads it: a parent window,
// the UI's descriptor from quorvel_ui.so, port events in, idle calls, and mouse clicks and key
// presses sent through XTest, with the port writes that result checked. Skipped without a
// display; scripts/check-hosts runs it under Xvfb. With QUORVEL_SCREENSHOT_DIR set, a PNG of the
// panel for each family is written there.

#include "hosts/lv2/Lv2PortTable.hpp"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/ui/ui.h>
#include <zlib.h>

// After gtest: Xlib's macros (None, Bool, Status) would break its templates.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <thread>
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
    void port(std::uint32_t index, float value) {
        descriptor->port_event(handle, index, sizeof value, 0, &value);
        pump();
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
    // The number of child windows of the parent (the UI's window while it is open); the
    // first one's geometry goes to `geometry` when given.
    unsigned int children(XWindowAttributes* geometry = nullptr) {
        Window root, up, *list = nullptr;
        unsigned int count = 0;
        XQueryTree(display, parent, &root, &up, &list, &count);
        if (count > 0 && geometry)
            XGetWindowAttributes(display, list[0], geometry);
        if (list)
            XFree(list);
        return count;
    }
    // Writes the panel (the size the UI asked for) as an RGB PNG; returns the number of distinct
    // colours in it.
    std::size_t screenshot(const char* name) {
        const auto [width, height] = size;
        XImage* image =
            XGetImage(display, parent, 0, 0, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
        std::vector<unsigned char> raw;
        std::set<unsigned long> colours;
        for (int y = 0; y < height; ++y) {
            raw.push_back(0); // no filter
            for (int x = 0; x < width; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                colours.insert(p);
                raw.insert(raw.end(),
                           {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                            static_cast<unsigned char>(p)});
            }
        }
        XDestroyImage(image);
        if (const char* dir = std::getenv("QUORVEL_SCREENSHOT_DIR"))
            writePng(std::string(dir) + "/" + name, raw, width, height);
        return colours.size();
    }
    static void writePng(const std::string& path, const std::vector<unsigned char>& raw, int w,
                         int h) {
        std::ofstream out(path, std::ios::binary);
        const auto chunk = [&out](const char* type, const std::vector<unsigned char>& data) {
            const unsigned char length[4] = {static_cast<unsigned char>(data.size() >> 24),
                                             static_cast<unsigned char>(data.size() >> 16),
                                             static_cast<unsigned char>(data.size() >> 8),
                                             static_cast<unsigned char>(data.size())};
            out.write(reinterpret_cast<const char*>(length), 4);
            std::vector<unsigned char> body(type, type + 4);
            body.insert(body.end(), data.begin(), data.end());
            out.write(reinterpret_cast<const char*>(body.data()), std::streamsize(body.size()));
            const uLong crc = crc32(0, body.data(), uInt(body.size()));
            const unsigned char c[4] = {
                static_cast<unsigned char>(crc >> 24), static_cast<unsigned char>(crc >> 16),
                static_cast<unsigned char>(crc >> 8), static_cast<unsigned char>(crc)};
            out.write(reinterpret_cast<const char*>(c), 4);
        };
        out.write("\x89PNG\r\n\x1a\n", 8);
        const auto byte = [](int v) { return static_cast<unsigned char>(v); };
        chunk("IHDR", {0, 0, byte(w >> 8), byte(w), 0, 0, byte(h >> 8), byte(h), 8, 2, 0, 0, 0});
        uLongf size = compressBound(uLong(raw.size()));
        std::vector<unsigned char> packed(size);
        compress2(packed.data(), &size, raw.data(), uLong(raw.size()), 9);
        packed.resize(size);
        chunk("IDAT", packed);
        chunk("IEND", {});
    }

    Display* display;
    const LV2UI_Descriptor* descriptor = nullptr;
    Window parent = 0;
    LV2UI_Resize resize{};
    LV2UI_Handle handle = nullptr;
    LV2UI_Widget widget = nullptr;
    const LV2UI_Idle_Interface* idle = nullptr;
    std::pair<int, int> origin, size{0, 0};
    std::vector<Write> writes;
};

class UiDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        display = XOpenDisplay(nullptr);
        if (!display)
            GTEST_SKIP() << "no X display";
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
    ASSERT_EQ(ui.children(&panel), 1u);
    EXPECT_EQ(ui.size, std::make_pair(680, 510));
    EXPECT_EQ(std::make_pair(panel.width, panel.height), ui.size);
    EXPECT_EQ(std::make_pair(panel.x, panel.y), std::make_pair(0, 0));
    EXPECT_TRUE(panel.width <= kParentWidth && panel.height <= kParentHeight);

    ui.click(60, listRow(1)); // "Spectral Freeze"
    ASSERT_FALSE(ui.writes.empty());
    EXPECT_EQ(ui.writes.back(), Write(kProgram, 1.0f));
    ui.click(163 + 40, 208 + 9); // LowDecay's field
    ui.keys({XK_End, XK_BackSpace, XK_BackSpace, XK_BackSpace, XK_BackSpace, XK_BackSpace,
             XK_BackSpace, XK_7, XK_period, XK_5, XK_Return});
    const std::uint32_t lowDecayPort = [] {
        for (const auto& port : Lv2PortTable::ports(2))
            if (port.parameter && port.parameter->index == 21)
                return port.index;
        return 0u;
    }();
    EXPECT_EQ(ui.writes.back(), Write(lowDecayPort, 7.5f));
    ui.port(Lv2PortTable::clipPort(2), 1.0f);
    EXPECT_GT(ui.screenshot("editor-short-time.png"), 8u);

    ui.click(24 + 60, 124 + 12); // the harmonic family button
    EXPECT_EQ(ui.writes.back(), Write(kProgram, 7.0f));
    EXPECT_GT(ui.screenshot("editor-harmonic.png"), 8u);
}

TEST_F(UiDisplay, TwoEditorsShareNothingAndCloseLeavesNoWindow) {
    auto a = std::make_unique<UiHost>(display, descriptor, 0, 0);
    auto b = std::make_unique<UiHost>(display, descriptor, 0, 560);
    ASSERT_TRUE(a->handle && b->handle);
    a->port(kProgram, 7.0f); // only a's mirror goes harmonic
    b->pump();
    a->click(60, listRow(1));
    b->click(60, listRow(1));
    EXPECT_EQ(a->writes, (std::vector<Write>{{kProgram, 8.0f}}));
    EXPECT_EQ(b->writes, (std::vector<Write>{{kProgram, 1.0f}}));

    for (int round = 0; round < 3; ++round) {
        descriptor->cleanup(a->handle);
        a->handle = nullptr;
        XSync(display, False);
        EXPECT_EQ(a->children(), 0u);
        a = std::make_unique<UiHost>(display, descriptor, 0, 0);
        ASSERT_NE(a->handle, nullptr);
        a->click(60, listRow(2)); // a fresh editor: the short-time list again
        EXPECT_EQ(a->writes, (std::vector<Write>{{kProgram, 2.0f}}));
    }
    b->click(24 + 60, 124 + 12); // the other editor still answers
    EXPECT_EQ(b->writes.back(), Write(kProgram, 7.0f));
}

} // namespace
