#pragma once

// The editor's side of the LV2 ports: a mirror of the plug-in's document, kept in the UI and fed
// only by the host's port events, and the editor on it, whose changes go back to the plug-in as
// port writes. It maps ports and document parameters through the same port table as the
// plug-in, so both agree on every index; it never touches the plug-in instance, which may run in
// another process.
//
// Port events: a parameter port stores its value in the mirror as the port holds it (clamped
// into range, whole or on/off as the parameter's type says) and moves the controls it concerns;
// "Program" activates that program in the mirror; the clip output lights the indicator; the
// latency output is ignored, as is any value that is not finite or any port the table lacks.
//
// Writes: an editor change writes the parameter's port with the value the mirror kept (a kick
// button's press as 1 whatever the mirror did with it), a program chosen in the editor writes
// "Program", and a kick button writes 1 when pressed and 0 when let go, so that the next press
// is a change again. A port is never written with the value it is known to hold. After an
// editor change, any other port whose mirror value the document's own rules changed with it
// (Spectral Freeze's Reset turning Fire off) is written too.
//
// Everything runs on the user-interface thread; nothing here is shared between instances.

#include "hosts/lv2/Lv2PortTable.hpp"
#include "hosts/lv2/ui/QuorvelGui.hpp"

#include <cstdint>
#include <functional>
#include <vector>

class Lv2UiBridge : private QuorvelGui::Output {
public:
    using WriteFunction = std::function<void(std::uint32_t port, float value)>;
    static constexpr std::uint32_t kNoPort = 0xffffffffu;

    // For the plug-in with `channels` (1 or 2) channels. `write` receives every port write.
    Lv2UiBridge(unsigned int channels, WriteFunction write);
    ~Lv2UiBridge() override;
    Lv2UiBridge(const Lv2UiBridge&) = delete;
    Lv2UiBridge& operator=(const Lv2UiBridge&) = delete;

    void portEvent(std::uint32_t port, float value);

    // The input port of document parameter `index`, or kNoPort.
    std::uint32_t portOfParameter(unsigned int index) const;
    std::uint32_t programPort() const { return Lv2PortTable::programPort(m_channels); }

    QuorvelDocument& document() { return m_document; }
    QuorvelGui& gui() { return m_gui; }

private:
    void parameterEdited(unsigned int index, const orvane::AnyValue& value) override;
    void programChosen(unsigned int preset) override;
    void kickReleased(unsigned int index) override;
    void write(std::uint32_t port, float value);
    // Writes every parameter port whose mirror value differs from its last known port value,
    // except `skipPort`.
    void writeChangedPorts(std::uint32_t skipPort);

    unsigned int m_channels;
    WriteFunction m_write;
    std::vector<Lv2PortTable::Port> m_ports;
    std::vector<std::uint32_t> m_portOfParameter; // by document parameter index
    std::vector<float> m_portValue;               // the last value each port was known to hold
    QuorvelDocument m_document;
    QuorvelGui m_gui;
};
