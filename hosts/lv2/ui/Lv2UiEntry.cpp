// The C entry points of the editor's binary (quorvel_ui.so): an X11 UI for both plug-ins of the
// bundle. It embeds its window in the host's `ui:parent` (or shows it on its own when the host
// gives none), runs FLTK's event processing from the host's idle calls, reads the host's
// `ui:scaleFactor` option, tells `ui:resize` its size and follows the host's resizing. It talks to
// the plug-in through port events and port writes only. Nothing escapes through the C boundary; a
// UI that cannot be built (no X display, an unknown plug-in) is refused with a null handle.

#include "hosts/lv2/ui/Lv2UiBridge.hpp"
#include "hosts/lv2/ui/QuorvelGuiWindow.hpp"

#include <FL/Fl.H>
#include <FL/x.H>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <memory>

namespace {

struct Lv2Ui {
    std::unique_ptr<Lv2UiBridge> bridge;
    std::unique_ptr<QuorvelGuiWindow> window;
};

const void* findFeature(const LV2_Feature* const* features, const char* uri) {
    for (; features && *features; ++features)
        if ((*features)->URI && std::strcmp((*features)->URI, uri) == 0)
            return (*features)->data;
    return nullptr;
}

double scaleFactorOf(const LV2_Feature* const* features) {
    const auto* map = static_cast<const LV2_URID_Map*>(findFeature(features, LV2_URID__map));
    const auto* options =
        static_cast<const LV2_Options_Option*>(findFeature(features, LV2_OPTIONS__options));
    if (!map || !options)
        return 1.0;
    const LV2_URID key = map->map(map->handle, LV2_UI__scaleFactor);
    const LV2_URID floatType = map->map(map->handle, "http://lv2plug.in/ns/ext/atom#Float");
    for (; options->key != 0; ++options)
        if (options->key == key && options->type == floatType && options->size == sizeof(float)) {
            const float scale = *static_cast<const float*>(options->value);
            return scale >= 0.5f && scale <= 4.0f ? scale : 1.0;
        }
    return 1.0;
}

// FLTK keeps one connection to the X server for the process; a missing display must refuse the
// UI rather than end the host, which is what FLTK does when it cannot open one itself.
bool openDisplay() {
    if (fl_display)
        return true;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    fl_open_display(display);
    return true;
}

void embed(QuorvelGuiWindow& window, const void* parent) {
    if (parent) {
        // Never managed by a window manager: it becomes a child of the host's window at once.
        window.border(0);
        window.set_override();
        window.position(0, 0);
    }
    window.show();
    if (parent) {
        XReparentWindow(fl_display, fl_xid(&window), Window(reinterpret_cast<uintptr_t>(parent)), 0,
                        0);
        XMapWindow(fl_display, fl_xid(&window));
    }
    XSync(fl_display, False);
}

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*,
                         LV2UI_Write_Function writeFunction, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features) {
    try {
        unsigned int channels = 0;
        if (std::strcmp(pluginUri, Lv2PortTable::kMonoUri) == 0)
            channels = 1;
        else if (std::strcmp(pluginUri, Lv2PortTable::kStereoUri) == 0)
            channels = 2;
        if (channels == 0 || !writeFunction || !openDisplay())
            return nullptr;
        auto ui = std::make_unique<Lv2Ui>();
        ui->bridge = std::make_unique<Lv2UiBridge>(
            channels, [writeFunction, controller](std::uint32_t port, float value) {
                writeFunction(controller, port, sizeof value, 0, &value);
            });
        ui->bridge->gui().open();
        ui->window = std::make_unique<QuorvelGuiWindow>(ui->bridge->gui(), scaleFactorOf(features));
        embed(*ui->window, findFeature(features, LV2_UI__parent));
        if (widget)
            *widget = reinterpret_cast<LV2UI_Widget>(fl_xid(ui->window.get()));
        if (const auto* resize =
                static_cast<const LV2UI_Resize*>(findFeature(features, LV2_UI__resize)))
            resize->ui_resize(resize->handle, ui->window->w(), ui->window->h());
        return ui.release();
    } catch (...) {
        return nullptr;
    }
}

void cleanup(LV2UI_Handle handle) {
    std::unique_ptr<Lv2Ui> ui(static_cast<Lv2Ui*>(handle));
    ui->window.reset(); // destroys the X window before the state it draws
    ui->bridge.reset();
    if (fl_display)
        XSync(fl_display, False);
}

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format,
               const void* buffer) {
    if (format != 0 || size != sizeof(float) || !buffer)
        return;
    try {
        static_cast<Lv2Ui*>(handle)->bridge->portEvent(port, *static_cast<const float*>(buffer));
    } catch (...) {
        // A value the document refuses leaves the panel as it was.
    }
}

int idle(LV2UI_Handle) {
    Fl::check();
    return 0;
}

// The host resizes the editor: the panel's widgets follow proportionally.
int resize(LV2UI_Feature_Handle handle, int width, int height) {
    if (width < 1 || height < 1)
        return 1;
    static_cast<Lv2Ui*>(handle)->window->size(width, height);
    return 0;
}

const LV2UI_Idle_Interface kIdle = {idle};
const LV2UI_Resize kResize = {nullptr, resize};

const void* extensionData(const char* uri) {
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0)
        return &kIdle;
    return std::strcmp(uri, LV2_UI__resize) == 0 ? &kResize : nullptr;
}

const LV2UI_Descriptor kDescriptor = {Lv2PortTable::kUiUri, instantiate, cleanup, portEvent,
                                      extensionData};

} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
