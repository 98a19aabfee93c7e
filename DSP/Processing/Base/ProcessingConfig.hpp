#pragma once

namespace DSP {

/// Abstract base of every configuration record. A processing class Foo is configured from a
/// FooConfig that derives from this and adds Foo's fields, defaults and accessors.
class ProcessingConfig {
public:
    virtual ~ProcessingConfig() = default;
    virtual const char* GetDSPClassName() const { return "Processing"; }

protected:
    ProcessingConfig() = default;
    ProcessingConfig(const ProcessingConfig&) = default;
    ProcessingConfig& operator=(const ProcessingConfig&) = default;
};

} // namespace DSP
