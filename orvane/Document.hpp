#pragma once

#include "orvane/AnyValue.hpp"
#include "orvane/Parameter.hpp"
#include "orvane/Preset.hpp"

#include <memory>
#include <vector>

namespace orvane {

class Interface;

// The single store of parameter values, with the presets and the observers.
//
// The concrete document sizes and fills `m_parameters` and `m_presets` in its constructor; the
// document owns both (the parameters are deleted before the presets) and never its observers.
// It has no lock: notifications run synchronously on the caller's thread, in registration
// order. An index the document does not have is a fatal assertion ("index <
// m_parameters.size()"), never a write outside the table.
class Document {
public:
    Document() = default;
    virtual ~Document() = 0;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // Stores `value` into parameter `index`, then calls `parameterChanged(index, parameter)`
    // on every observer whose id differs from the source's (every observer when the source is
    // null). Observers read the new value from the stored parameter.
    virtual void updateParameter(unsigned int index, AnyValue value, Interface* source);
    // Calls `suspend(true)` on every observer, then `presetChanged()` on every observer, then
    // `suspend(false)` on every observer. Storing the program number is the concrete
    // document's part.
    virtual void activateProgram(unsigned int program);
    // The program text: a new character array owned by the caller; returns its length.
    virtual int storeProgram(char** text) = 0;
    // Parses and applies a NUL-terminated program text; true on success.
    virtual bool loadProgram(char* text, int length) = 0;

    Parameter* getParameter(unsigned int index) const;
    unsigned int GetNumberOfParameters() const {
        return static_cast<unsigned int>(m_parameters.size());
    }
    // Stores tag and payload without telling anyone.
    void setParameter(unsigned int index, AnyValue value);
    // Calls `parameterChanged(index, parameter)` on every observer, whoever made the change.
    // The value argument is not used: observers see the stored value.
    void broadcastToInterfaces(unsigned int index, AnyValue value = AnyValue());

    Preset* getPreset(unsigned int number) const;
    unsigned int getPresetCount() const { return static_cast<unsigned int>(m_presets.size()); }

    // Appends without a duplicate check.
    void addInterface(Interface* observer);
    // Removes every occurrence; an observer that is not registered is ignored.
    void removeInterface(Interface* observer);
    const std::vector<Interface*>& getInterfaces() const { return m_interfaces; }

protected:
    // `parameterChanged(index, parameter)` on every observer whose id differs from the
    // source's. Observers may register or unregister from inside a notification.
    void notifyInterfaces(unsigned int index, const Interface* source);
    // The parameter at `index`, which must exist (fatal assertion otherwise).
    Parameter& storedParameter(unsigned int index) const;

    std::vector<std::unique_ptr<Parameter>> m_parameters; // indexed by parameter index
    std::vector<std::unique_ptr<Preset>> m_presets;       // indexed by preset number
    std::vector<Interface*> m_interfaces;                 // registration order, not owned
};

} // namespace orvane
