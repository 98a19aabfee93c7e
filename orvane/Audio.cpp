#include "orvane/Audio.hpp"

#include "orvane/Assert.hpp"
#include "orvane/Document.hpp"

#include "Threading/ScopedLock.hpp"

#include <algorithm>

namespace orvane {

Audio::CommandFactory::~CommandFactory() = default;

Audio::Audio(unsigned int id, Document* document, CommandFactory* factory)
    : Interface(id, document), m_commandFactory(factory) {
    ORVANE_ASSERT(document != nullptr);
    m_document->addInterface(this);
}

Audio::~Audio() = default;

void Audio::parameterChanged(unsigned int index, Parameter& parameter) {
    setParameter(index, parameter);
}

void Audio::suspend(bool suspended) {
    Threading::ScopedLock lock(m_lock);
    m_suspended = suspended;
}

bool Audio::isSuspended() const {
    Threading::ScopedLock lock(m_lock);
    return m_suspended;
}

bool Audio::setChannelConfiguration(unsigned int inputs, unsigned int outputs) {
    for (std::size_t i = 0; i < m_configurations.size(); ++i) {
        if (m_configurations[i].inputs == inputs && m_configurations[i].outputs == outputs) {
            m_currentConfiguration.store(static_cast<unsigned int>(i), std::memory_order_relaxed);
            return true;
        }
    }
    return false;
}

void Audio::setMaxBufferSize(unsigned int frames) {
    m_maxBufferSize.store(frames, std::memory_order_relaxed);
}

double Audio::getLatency() const {
    return 0.0;
}

bool Audio::setSamplingRate(unsigned int rate) {
    if (std::find(m_samplingRates.begin(), m_samplingRates.end(), rate) == m_samplingRates.end())
        return false;
    m_samplingRate.store(rate, std::memory_order_relaxed);
    return true;
}

void Audio::Process(float** inputs, float** outputs, unsigned int frames) {
    Threading::ScopedLock lock(m_lock);
    ProcessUnlocked(inputs, outputs, frames);
}

void Audio::SkipBlock(float** outputs, unsigned int frames) {
    m_fadeInPending = true;
    silence(outputs, frames);
}

void Audio::ProcessUnlocked(float** inputs, float** outputs, unsigned int frames) {
    if (m_suspended) {
        m_fadeInPending = true;
        silence(outputs, frames);
        return;
    }
    DoProcess(inputs, outputs, frames);
    // A block of no frames cannot carry the ramp, so the fade waits for one that can.
    if (m_fadeInPending && frames > 0) {
        fadeIn(outputs, frames);
        m_fadeInPending = false;
    }
}

unsigned int Audio::outputChannelCount() const {
    const unsigned int current = getCurrentConfiguration();
    return current < m_configurations.size() ? m_configurations[current].outputs : 0;
}

void Audio::silence(float** outputs, unsigned int frames) const {
    if (outputs == nullptr)
        return;
    const unsigned int channels = outputChannelCount();
    for (unsigned int c = 0; c < channels; ++c) {
        if (outputs[c] != nullptr)
            std::fill(outputs[c], outputs[c] + frames, 0.0f);
    }
}

void Audio::fadeIn(float** outputs, unsigned int frames) const {
    if (outputs == nullptr)
        return;
    const auto fadeFrames = static_cast<unsigned int>(getSamplingRate() * kFadeInSeconds);
    const unsigned int rampFrames = std::min(frames, fadeFrames);
    if (rampFrames == 0)
        return;
    // The gain is accumulated in single precision, one step per sample, so it starts at
    // exactly 0 and ends one step short of 1; samples from rampFrames on keep full gain.
    const float step = 1.0f / static_cast<float>(rampFrames);
    const unsigned int channels = outputChannelCount();
    for (unsigned int c = 0; c < channels; ++c) {
        float* out = outputs[c];
        if (out == nullptr)
            continue;
        float gain = 0.0f;
        for (unsigned int i = 0; i < rampFrames; ++i) {
            out[i] *= gain;
            gain += step;
        }
    }
}

} // namespace orvane
