#pragma once

#include "orvane/Document.hpp"
#include "orvane/Interface.hpp"
#include "orvane/Parameter.hpp"

#include <string>
#include <vector>

// An observer that writes every notification it receives into a shared log, as
// "<name> changed <index>=<value text>", "<name> preset" or "<name> suspend <0|1>", so that a
// test can check who was told what, and in which order.
class RecordingObserver : public orvane::Interface {
public:
    RecordingObserver(unsigned int id, orvane::Document& document, std::string name,
                      std::vector<std::string>& log)
        : orvane::Interface(id, &document), m_name(std::move(name)), m_log(log) {
        document.addInterface(this);
    }
    ~RecordingObserver() override { m_document->removeInterface(this); }

    void parameterChanged(unsigned int index, orvane::Parameter& parameter) override {
        char text[orvane::AnyValue::kTextSize];
        parameter.getValue().ToChar(text);
        m_log.push_back(m_name + " changed " + std::to_string(index) + "=" + text);
    }
    void presetChanged() override { m_log.push_back(m_name + " preset"); }
    void suspend(bool suspended) override {
        m_log.push_back(m_name + " suspend " + (suspended ? "1" : "0"));
    }

private:
    std::string m_name;
    std::vector<std::string>& m_log;
};
