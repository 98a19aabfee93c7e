#pragma once

#include <string>

#include "DSP/Misc/Ports/InPortRegistry.hpp"
#include "DSP/Misc/Ports/OutPortRegistry.hpp"
#include "DSP/Processing/Base/InControlRegistry.hpp"
#include "DSP/Processing/Base/OutControlRegistry.hpp"
#include "DSP/Processing/Base/ProcessingConfig.hpp"

namespace DSP {

class InControl;
class OutControl;
class InPortBase;
class OutPortBase;
class ProcessingComposite;

/// Base of every signal-processing object. The owner configures it from a configuration
/// record, starts it, calls Do once per unit of data, and stops it before configuring it
/// again:
///
///     Configure(cfg) -> Start() -> Do() ... Do() -> Stop() -> [Configure(cfg2) -> ...]
///
/// Configure and ConcreteConfigure size every buffer; Start resets state; Do never allocates.
/// Configuration failures come back as false plus a status text, never as exceptions.
/// Processing objects form a tree: a composite holds its children (without owning them) and
/// an object configured without a parent joins the process-wide TopLevelProcessing.
/// One thread at a time uses an object; the tree itself is built at configuration time.
class Processing {
public:
    Processing() = default;
    Processing(const Processing&) = delete;
    Processing& operator=(const Processing&) = delete;

    /// Processes one unit of data taken from the ports.
    virtual bool Do() = 0;
    /// Leaves the parent composite (or the top level).
    virtual ~Processing();
    /// The class name as text, e.g. "SpectralAnalysis".
    virtual const char* GetDSPClassName() const = 0;
    virtual bool CanProcessInplace() { return true; }

protected:
    /// The class's own configuration step: size buffers, read cfg. On refusal return false
    /// (optionally after AddConfigErrorMessage) or throw.
    virtual bool ConcreteConfigure(const ProcessingConfig& cfg) = 0;
    virtual bool ConcreteStart() { return true; }
    virtual bool ConcreteStop() { return true; }

public:
    virtual const ProcessingConfig& GetConfig() const = 0;
    virtual bool ModifiesPortsAndControlsAtConfiguration() { return false; }

    /// Runs ConcreteConfigure; true on success (status "Ready to be started"). On failure the
    /// object is left unconfigured and the status says why; nothing is thrown.
    bool Configure(const ProcessingConfig& cfg);
    /// Runs ConcreteStart. A failure only extends the status text. An unconfigured object
    /// gets "<ClassName>::Start() Object not ready" appended to its status and is started
    /// anyway.
    void Start();
    /// Runs ConcreteStop. A failure only extends the status text.
    void Stop();

    /// Moves the object under p, which must be a composite; null means the top level.
    void SetParent(Processing* p);
    ProcessingComposite* GetParent() const { return mpParent; }

    /// True when every in-port can be read and every out-port can be written.
    bool CanConsumeAndProduce();

    void PublishInControl(InControl& control) { mInControlRegistry.Publish(&control); }
    void PublishOutControl(OutControl& control) { mOutControlRegistry.Publish(&control); }
    void PublishInPort(InPortBase& port) { mInPortRegistry.Publish(&port); }
    void PublishOutPort(OutPortBase& port) { mOutPortRegistry.Publish(&port); }

    InControlRegistry& GetInControls() { return mInControlRegistry; }
    const InControlRegistry& GetInControls() const { return mInControlRegistry; }
    OutControlRegistry& GetOutControls() { return mOutControlRegistry; }
    const OutControlRegistry& GetOutControls() const { return mOutControlRegistry; }
    InPortRegistry& GetInPorts() { return mInPortRegistry; }
    const InPortRegistry& GetInPorts() const { return mInPortRegistry; }
    OutPortRegistry& GetOutPorts() { return mOutPortRegistry; }
    const OutPortRegistry& GetOutPorts() const { return mOutPortRegistry; }

    const std::string& GetStatus() const { return mStatus; }
    bool IsConfigured() const { return mConfigured; }
    /// Appends text to the status; ConcreteConfigure uses it to explain a refusal.
    void AddConfigErrorMessage(const std::string& text) { mStatus += text; }

private:
    friend class ProcessingComposite;
    friend class InControl;
    friend class OutControl;
    friend class InPortBase;
    friend class OutPortBase;

    void PreConcreteConfigure(const ProcessingConfig& cfg);
    void PostConcreteConfigure();
    /// Leaves the parent composite and the top level's list, whichever holds the object.
    void DetachFromParent();

    ProcessingComposite* mpParent = nullptr;
    std::string mStatus;
    InControlRegistry mInControlRegistry;
    OutControlRegistry mOutControlRegistry;
    InPortRegistry mInPortRegistry;
    OutPortRegistry mOutPortRegistry;
    bool mConfigured = false;
};

} // namespace DSP
