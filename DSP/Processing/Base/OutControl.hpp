#pragma once

#include <string>
#include <vector>

namespace DSP {

class InControl;
class Processing;

/// A named scalar output: SendControl pushes a value to every linked in-control, in link
/// order. Links are made and undone at configuration time; the links are not owned.
class OutControl {
public:
    /// With a parent and publish set, the control appears in the parent's out-control registry.
    explicit OutControl(const std::string& name, Processing* parent = nullptr, bool publish = true);
    OutControl(const OutControl&) = delete;
    OutControl& operator=(const OutControl&) = delete;
    /// Undoes every link and leaves the parent's registry.
    virtual ~OutControl();

    /// Appends in to the links (a null pointer is ignored).
    virtual void AddLink(InControl* in);
    /// Removes the first link to in, if there is one.
    virtual void RemoveLink(InControl* in);
    /// Calls DoControl(value) on each linked input in link order; returns the last result,
    /// or 0 without links.
    virtual int SendControl(float value);

    bool IsConnected() const { return !mLinks.empty(); }
    bool IsConnectedTo(const InControl& in) const;

    const std::string& GetName() const { return mName; }
    Processing* GetProcessing() const { return mParent; }

private:
    friend class InControl;
    friend class Processing;

    /// The non-virtual core of RemoveLink, also used while either side is being destroyed.
    void Unlink(InControl* in);

    std::vector<InControl*> mLinks;
    std::string mName;
    Processing* mParent;
};

} // namespace DSP
