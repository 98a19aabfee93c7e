#pragma once

namespace DSP {

/// Abstract base of the signal library's value types (arrays, enumerations, flag sets,
/// spectra, frames, ...). It gives every value a class name and a way to be cloned through
/// a base pointer.
///
/// Copies returned by Species(), DeepCopy() and ShallowCopy() are new heap objects owned by
/// the caller. Derived classes may narrow the return types (covariant returns).
class Component {
public:
    virtual ~Component();

    /// Constant text naming the concrete class ("BPF", "Spectrum", ...), or null for the
    /// generic containers (Array, Enum, Flags), which have no name of their own.
    virtual const char* GetDSPClassName() const = 0;

    /// A new, default-constructed object of the same concrete class.
    virtual Component* Species() const = 0;

    /// A new object holding a full copy of this one.
    virtual Component* DeepCopy() const = 0;

    /// A new object holding a copy of this one that may share sub-objects with it; value
    /// types without shared parts return the same as DeepCopy().
    virtual Component* ShallowCopy() const = 0;

protected:
    Component() = default;
    Component(const Component&) = default;
    Component& operator=(const Component&) = default;
};

} // namespace DSP
