#pragma once

#include "DSP/Processing/Analysis/EWindowNormalize.hpp"
#include "DSP/Processing/Analysis/EWindowType.hpp"
#include "DSP/Processing/Base/ProcessingConfig.hpp"

namespace DSP {

/// Configuration of WindowGenerator.
class WindowGeneratorConfig : public ProcessingConfig {
public:
    /// Window function (default Hamming).
    const EWindowType& GetType() const { return mType; }
    void SetType(const EWindowType& type) { mType = type; }
    /// Window length in samples (default 4097).
    int GetSize() const { return mSize; }
    void SetSize(int samples) { mSize = samples; }
    /// Generate the window once at configuration and resample that table on each Do
    /// (default true).
    bool GetUseTable() const { return mUseTable; }
    void SetUseTable(bool useTable) { mUseTable = useTable; }
    /// Scaling applied after generation (default NormalizationForAnalysis).
    const EWindowNormalize& GetNormalize() const { return mNormalize; }
    void SetNormalize(const EWindowNormalize& normalize) { mNormalize = normalize; }
    /// Replace the normalized window by its reciprocal (default false).
    bool GetInvert() const { return mInvert; }
    void SetInvert(bool invert) { mInvert = invert; }

private:
    EWindowType mType;
    int mSize = 4097;
    bool mUseTable = true;
    EWindowNormalize mNormalize;
    bool mInvert = false;
};

} // namespace DSP
