#pragma once

#include "orvane/Document.hpp"
#include "orvane/Interface.hpp"

#include <memory>
#include <string>
#include <vector>

// Test doubles shared by the document and engine tests: a small document and observers that
// write what they are told into one log, in the order it happens.

using Log = std::vector<std::string>;

// Parameters: 0 "Gain" float 0..2 automatable; 1 "Amount" int 20..10000 automatable;
// 2 "Fire" bool automatable; 3 "Hidden" float 0..1 not automatable. Two presets.
class TestDocument : public orvane::Document {
public:
    explicit TestDocument(Log* log = nullptr) : m_log(log) {
        m_parameters.resize(4);
        m_parameters[0] = std::make_unique<orvane::Parameter>(
            new orvane::AnyDetails("Gain", "The gain", 1.0f, 0.0f, 2.0f, 7));
        m_parameters[1] = std::make_unique<orvane::Parameter>(
            new orvane::AnyDetails("Amount", "Amount", 200, 20, 10000, 5));
        m_parameters[2] =
            std::make_unique<orvane::Parameter>(new orvane::AnyDetails("Fire", "Fire", false, 5));
        m_parameters[3] = std::make_unique<orvane::Parameter>(
            new orvane::AnyDetails("Hidden", "Hidden", 0.5f, 0.0f, 1.0f, 4));
    }
    ~TestDocument() override {
        if (m_log)
            m_log->push_back("document deleted");
    }
    int storeProgram(char**) override { return 0; }
    bool loadProgram(char*, int) override { return false; }
    void addPreset(orvane::Preset* preset) { m_presets.emplace_back(preset); }

private:
    Log* m_log;
};

inline std::string describe(unsigned int id, const std::string& event) {
    return std::to_string(id) + ":" + event;
}

// Logs "id:changed index=text", "id:suspend 1", "id:preset".
class LoggingGui : public orvane::Gui {
public:
    LoggingGui(unsigned int id, orvane::Document* document, Log& log)
        : orvane::Gui(id, document), m_log(log) {
        document->addInterface(this);
    }
    void parameterChanged(unsigned int index, orvane::Parameter& parameter) override {
        char text[orvane::AnyValue::kTextSize];
        m_log.push_back(describe(m_id, "changed " + std::to_string(index) + "=" +
                                           parameter.getValue().ToChar(text)));
    }
    void presetChanged() override { m_log.push_back(describe(m_id, "preset")); }
    void suspend(bool flag) override {
        m_log.push_back(describe(m_id, std::string("suspend ") + (flag ? "1" : "0")));
    }

private:
    Log& m_log;
};
