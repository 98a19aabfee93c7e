#include "hosts/lv2/ui/Lv2UiBridge.hpp"

#include <algorithm>
#include <cmath>

using Lv2PortTable::PortRole;

Lv2UiBridge::Lv2UiBridge(unsigned int channels, WriteFunction write)
    : m_channels(channels), m_write(std::move(write)), m_ports(Lv2PortTable::ports(channels)),
      m_gui(m_document, *this) {
    m_portOfParameter.assign(m_document.GetNumberOfParameters(), kNoPort);
    m_portValue.resize(m_ports.size());
    for (const Lv2PortTable::Port& port : m_ports) {
        m_portValue[port.index] = port.defaultValue;
        if (port.role == PortRole::Document)
            m_portOfParameter[port.parameter->index] = port.index;
    }
}

Lv2UiBridge::~Lv2UiBridge() {
    m_gui.close();
}

std::uint32_t Lv2UiBridge::portOfParameter(unsigned int index) const {
    return index < m_portOfParameter.size() ? m_portOfParameter[index] : kNoPort;
}

void Lv2UiBridge::portEvent(std::uint32_t port, float value) {
    if (port >= m_ports.size() || !std::isfinite(value))
        return;
    const Lv2PortTable::Port& entry = m_ports[port];
    switch (entry.role) {
    case PortRole::Document: {
        m_portValue[port] = value;
        const unsigned int index = entry.parameter->index;
        m_document.setParameter(index, Lv2PortTable::documentValue(*entry.parameter, value));
        m_document.broadcastToInterfaces(index);
        break;
    }
    case PortRole::Program: {
        m_portValue[port] = value;
        const float last = float(m_document.getPresetCount() - 1);
        const auto preset = unsigned(std::lround(std::clamp(value, 0.0f, last)));
        if (preset != m_document.getCurrentPresetNumber())
            m_document.activateProgram(preset);
        break;
    }
    case PortRole::Clip:
        m_document.setParameter(ParameterIndex::LevelClip, orvane::AnyValue(value > 0.5f));
        m_document.broadcastToInterfaces(ParameterIndex::LevelClip);
        break;
    case PortRole::Latency:
    case PortRole::Audio:
        break;
    }
}

void Lv2UiBridge::write(std::uint32_t port, float value) {
    if (value == m_portValue[port])
        return; // the port holds it already
    m_portValue[port] = value;
    if (m_write)
        m_write(port, value);
}

void Lv2UiBridge::parameterEdited(unsigned int index, const orvane::AnyValue& value) {
    // The port gets what the document kept (a latched Fire stays on), except that a kick
    // button's press is sent as such: the document may have released it already.
    const std::uint32_t port = portOfParameter(index);
    if (port != kNoPort) {
        const bool kick =
            m_ports[port].row && m_ports[port].row->kind == KavControlKind::KickButton;
        write(port,
              Lv2PortTable::portValue(kick ? value : m_document.getParameter(index)->getValue()));
    }
    writeChangedPorts(port);
}

void Lv2UiBridge::programChosen(unsigned int preset) {
    write(programPort(), float(preset));
}

void Lv2UiBridge::kickReleased(unsigned int index) {
    const std::uint32_t port = portOfParameter(index);
    if (port != kNoPort)
        write(port, 0.0f);
}

void Lv2UiBridge::writeChangedPorts(std::uint32_t skipPort) {
    for (const Lv2PortTable::Port& port : m_ports) {
        if (port.role != PortRole::Document || port.index == skipPort)
            continue;
        const float value =
            Lv2PortTable::portValue(m_document.getParameter(port.parameter->index)->getValue());
        if (value != m_portValue[port.index])
            write(port.index, value);
    }
}
