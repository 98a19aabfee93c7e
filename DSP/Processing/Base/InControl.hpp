#pragma once

#include <atomic>
#include <string>
#include <type_traits>
#include <vector>

namespace DSP {

class OutControl;
class Processing;

/// A named scalar input of a processing. DoControl stores the value; GetLastValue reads it
/// back. The value is an atomic float (relaxed order), so a control may be written from the
/// thread that routes parameter changes while the audio thread reads it in Do. Everything
/// else (linking, publishing) happens at configuration time on one thread.
class InControl {
public:
    /// With a parent and publish set, the control appears in the parent's in-control registry.
    explicit InControl(const std::string& name, Processing* parent = nullptr, bool publish = true);
    InControl(const InControl&) = delete;
    InControl& operator=(const InControl&) = delete;

    /// Stores value as the last value; returns 0.
    virtual int DoControl(float value);
    virtual float GetLastValue() const { return mLastValue.load(std::memory_order_relaxed); }
    /// Unlinks the control from every out-control that still feeds it and leaves the parent's
    /// registry, so that neither keeps a dangling pointer.
    virtual ~InControl();

    const std::string& GetName() const { return mName; }
    Processing* GetProcessing() const { return mParent; }
    bool IsConnectedTo(const OutControl& out) const;

protected:
    void StoreLastValue(float value) { mLastValue.store(value, std::memory_order_relaxed); }

private:
    friend class OutControl;
    friend class Processing;

    std::atomic<float> mLastValue{0.f};
    std::string mName;
    Processing* mParent;
    /// Out-controls linking to this one (once per link), so the links can be undone.
    std::vector<OutControl*> mLinkedFrom;
};

/// An in-control that calls back into its owner at once, on the caller's thread: either
/// owner->method(value) or owner->methodWithId(id, value). DoControl returns the handler's
/// int result (0 without a handler). When T is a processing, the control publishes itself in
/// the owner's registry.
template <class T> class InControlTmpl : public InControl {
public:
    using Method = int (T::*)(float);
    using MethodWithId = int (T::*)(int, float);

    InControlTmpl(const std::string& name, T* owner, Method method, bool publish = true)
        : InControl(name, ParentOf(owner), publish), mOwner(owner), mMethod(method) {}

    InControlTmpl(int id, const std::string& name, T* owner, MethodWithId method,
                  bool publish = true)
        : InControl(name, ParentOf(owner), publish), mOwner(owner), mMethodWithId(method), mId(id) {
    }

    int DoControl(float value) override {
        StoreLastValue(value);
        if (mOwner == nullptr)
            return 0;
        if (mMethod != nullptr)
            return (mOwner->*mMethod)(value);
        if (mMethodWithId != nullptr)
            return (mOwner->*mMethodWithId)(mId, value);
        return 0;
    }

    int GetId() const { return mId; }

private:
    static Processing* ParentOf(T* owner) {
        if constexpr (std::is_base_of_v<Processing, T>)
            return owner;
        else
            return nullptr;
    }

    T* mOwner;
    Method mMethod = nullptr;
    MethodWithId mMethodWithId = nullptr;
    int mId = 0;
};

} // namespace DSP
