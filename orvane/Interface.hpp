#pragma once

#include "Threading/CriticalSection.hpp"

#include <memory>

namespace orvane {

class Document;
class Parameter;
class Host;

// An observer of a document. The document tells every observer about parameter changes made by
// another observer (`parameterChanged`), and brackets a program change with `suspend(true)`,
// `presetChanged()` and `suspend(false)`. Notifications run synchronously on the thread that
// changed the document.
//
// The observer id says who is the source of a change and is therefore not told about it: 0 is
// the editor, 1 the signal engine, 2 the host-automation bridge. The document is not owned.
class Interface {
public:
    Interface(unsigned int id, Document* document) : m_document(document), m_id(id) {}
    virtual ~Interface() = default;
    Interface(const Interface&) = delete;
    Interface& operator=(const Interface&) = delete;

    virtual void parameterChanged(unsigned int index, Parameter& parameter) = 0;
    virtual void presetChanged() = 0;
    virtual void suspend(bool suspended) = 0;

    unsigned int getId() const { return m_id; }
    Document* getDocument() const { return m_document; }

protected:
    Document* m_document;
    unsigned int m_id;
};

// The base of the plug-in's own editor. It does not register itself: the editor registers
// with the document while its window is open and unregisters when it closes. Suspension means
// nothing to an editor.
class Gui : public Interface {
public:
    Gui(unsigned int id, Document* document) : Interface(id, document) {}
    void suspend(bool) override {}
};

// The bridge between the document and the host's automation, which speaks normalised 0..1
// values. It registers with the document on construction (the plug-in uses id 2); the document
// and the host are not owned.
//
// Host automation arrives on the host's threads through `handleAutomationFromDaw` and is
// dropped while the bridge is suspended (a program change is under way); the suspended flag is
// guarded by the bridge's own lock.
class Automation : public Interface {
public:
    Automation(unsigned int id, Document* document, Host* host);
    ~Automation() override = default;

    // Automatable parameters changed by another observer are sent to the host, normalised.
    void parameterChanged(unsigned int index, Parameter& parameter) override;
    void presetChanged() override {}
    void suspend(bool suspended) override;

    // A normalised value from the host for parameter `index`. Dropped while suspended and when
    // the value is not finite (NaN never reaches the document); otherwise handed to
    // `doHandleAutomationFromDaw` under the lock.
    virtual void handleAutomationFromDaw(unsigned int index, float value);
    // The parameters the host sees; the base shows the document's own.
    virtual unsigned int getNumberOfParameters() const;
    virtual Parameter* getParameter(unsigned int index) const;
    // Base body (for subclasses to call): converts `value` for document parameter `index` and
    // writes it with this bridge as the source, if that parameter is automatable. An index the
    // document does not have and a parameter without the automatable flag are ignored.
    virtual void doHandleAutomationFromDaw(unsigned int index, float value) = 0;

    bool isSuspended() const;

protected:
    Host* m_host;
    bool m_suspended = false;
    mutable Threading::CriticalSection m_lock;
};

// The host-side base: the host adapter derives from it. It owns the document and the
// automation bridge and deletes the bridge first, then the document.
class Host {
public:
    explicit Host(bool supportsAutomation = false);
    virtual ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Publishes a normalised parameter value to the host application. The base requires
    // automation support (fatal assertion "m_supportsAutomation") and does nothing else; the
    // host adapter overrides it.
    virtual void sendAutomationToDaw(unsigned int index, float value);
    // Tells the host adapter that the preset changed so that it refreshes the host's view.
    virtual void programChanged(unsigned int preset) = 0;

    bool supportsAutomation() const { return m_supportsAutomation; }
    Document* getDocument() const { return m_document.get(); }
    Automation* getAutomation() const { return m_automation.get(); }

protected:
    bool m_supportsAutomation;
    std::unique_ptr<Document> m_document;
    std::unique_ptr<Automation> m_automation;
};

} // namespace orvane
