#include "DSP/Processing/Base/Processing.hpp"

#include <exception>

#include "DSP/Misc/Err.hpp"
#include "DSP/Misc/Ports/InPortBase.hpp"
#include "DSP/Misc/Ports/OutPortBase.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Base/OutControl.hpp"
#include "DSP/Processing/Base/ProcessingComposite.hpp"
#include "DSP/Processing/Base/TopLevelProcessing.hpp"

namespace DSP {

Processing::~Processing() {
    DetachFromParent();
    // Controls and ports that are members of the object have already left the registries
    // in their own destructors; whatever is left outlives this object and must not call
    // back into it.
    for (InControl* control : mInControlRegistry)
        control->mParent = nullptr;
    for (OutControl* control : mOutControlRegistry)
        control->mParent = nullptr;
    for (InPortBase* port : mInPortRegistry)
        port->mProcessing = nullptr;
    for (OutPortBase* port : mOutPortRegistry)
        port->mProcessing = nullptr;
}

bool Processing::Configure(const ProcessingConfig& cfg) {
    PreConcreteConfigure(cfg);
    bool ok = false;
    try {
        ok = ConcreteConfigure(cfg);
    } catch (const std::exception& e) {
        mConfigured = false;
        mStatus += "Exception thrown during ConcreteConfigure:\n";
        mStatus += e.what();
        mStatus += "\n";
        mStatus += "Configuration failed.";
        return false;
    }
    if (!ok) {
        mConfigured = false;
        mStatus += " Configuration failed.";
        return false;
    }
    PostConcreteConfigure();
    return true;
}

void Processing::PreConcreteConfigure(const ProcessingConfig&) {
    mStatus.clear();
    // An object without a parent joins the top level's list but keeps a null parent; the top
    // level itself must never become its own child.
    if (mpParent == nullptr && this != &TopLevelProcessing::GetInstance())
        TopLevelProcessing::GetInstance().Insert(*this);
    mConfigured = true;
}

void Processing::PostConcreteConfigure() {
    DSP_CHECK(mConfigured, "PreConcreteConfigure was not being called");
    mStatus = "Ready to be started";
}

void Processing::Start() {
    // The note is written only where it is true: a configured object is ready.
    if (!mConfigured) {
        mStatus += GetDSPClassName();
        mStatus += "::Start() Object not ready";
    }
    try {
        ConcreteStart();
    } catch (const std::exception& e) {
        mStatus += "Start(): Object failed to start properly.\n";
        mStatus += e.what();
    }
}

void Processing::Stop() {
    try {
        ConcreteStop();
    } catch (const std::exception& e) {
        mStatus += "Stop(): Object failed to stop properly.\n";
        mStatus += e.what();
    }
}

void Processing::SetParent(Processing* p) {
    ProcessingComposite* newParent = nullptr;
    if (p == nullptr) {
        newParent = &TopLevelProcessing::GetInstance();
    } else {
        newParent = dynamic_cast<ProcessingComposite*>(p);
        DSP_CHECK(newParent != nullptr, "Setting a non ProcessingComposite as Parent");
    }
    if (newParent == mpParent)
        return;
    newParent->Adopt(*this);
}

void Processing::DetachFromParent() {
    if (mpParent != nullptr) {
        mpParent->EraseChild(*this);
        mpParent = nullptr;
    }
    if (TopLevelProcessing::IsAlive())
        TopLevelProcessing::GetInstance().EraseChild(*this);
}

bool Processing::CanConsumeAndProduce() {
    return mInPortRegistry.AreReadyForReading() && mOutPortRegistry.AreReadyForWriting();
}

} // namespace DSP
