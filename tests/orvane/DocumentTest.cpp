#include "orvane/Document.hpp"
#include "orvane/Interface.hpp"
#include "orvane/Preset.hpp"

#include "orvane/DeathText.hpp"
#include "orvane/Observers.hpp"

#include <gtest/gtest.h>

#include <limits>

using orvane::AnyValue;

namespace {

class TestPreset : public orvane::Preset {
public:
    using orvane::Preset::Preset;
};

class RecordingHost : public orvane::Host {
public:
    explicit RecordingHost(bool supportsAutomation) : orvane::Host(supportsAutomation) {}
    void sendAutomationToDaw(unsigned int index, float value) override {
        orvane::Host::sendAutomationToDaw(index, value);
        sent.push_back({index, value});
    }
    void programChanged(unsigned int) override {}
    void own(orvane::Document* document, orvane::Automation* automation) {
        m_document.reset(document);
        m_automation.reset(automation);
    }
    std::vector<std::pair<unsigned int, float>> sent;
};

class LoggingAutomation : public orvane::Automation {
public:
    LoggingAutomation(orvane::Document* document, orvane::Host* host, Log* log = nullptr)
        : orvane::Automation(2, document, host), m_log(log) {}
    ~LoggingAutomation() override {
        if (m_log)
            m_log->push_back("automation deleted");
    }
    void doHandleAutomationFromDaw(unsigned int index, float value) override {
        orvane::Automation::doHandleAutomationFromDaw(index, value);
    }

private:
    Log* m_log;
};

struct ThreeObservers : ::testing::Test {
    Log log;
    TestDocument document;
    LoggingGui editor{0, &document, log};
    LoggingGui engine{1, &document, log};
    LoggingGui bridge{2, &document, log};
};

} // namespace

TEST_F(ThreeObservers, ChangeReachesEveryObserverWhoseIdIsNotTheSources) {
    Log other;
    TestDocument elsewhere;
    LoggingGui stranger(7, &elsewhere, other);
    LoggingGui secondEngine(1, &document, log);
    document.updateParameter(0, AnyValue(0.5f), &editor);
    document.updateParameter(1, AnyValue(300), &engine); // both observers with id 1 are skipped
    document.updateParameter(2, AnyValue(true), &stranger);
    document.updateParameter(0, AnyValue(0.75f), nullptr);
    EXPECT_EQ(log, (Log{"1:changed 0=0.50", "2:changed 0=0.50", "1:changed 0=0.50",
                        "0:changed 1=300", "2:changed 1=300", "0:changed 2=1", "1:changed 2=1",
                        "2:changed 2=1", "1:changed 2=1", "0:changed 0=0.75", "1:changed 0=0.75",
                        "2:changed 0=0.75", "1:changed 0=0.75"}));
    EXPECT_EQ(document.getParameter(0)->getValue(), AnyValue(0.75f));
}

TEST_F(ThreeObservers, BroadcastTellsEveryoneTheStoredValue) {
    document.setParameter(0, AnyValue(1.5f));
    EXPECT_TRUE(log.empty());
    document.broadcastToInterfaces(0, AnyValue(0.1f));
    EXPECT_EQ(log, (Log{"0:changed 0=1.50", "1:changed 0=1.50", "2:changed 0=1.50"}));
}

TEST_F(ThreeObservers, RemovedObserversAreNoLongerTold) {
    document.addInterface(&engine);
    document.removeInterface(&engine);
    document.removeInterface(nullptr); // not registered: nothing happens
    document.updateParameter(0, AnyValue(0.5f), nullptr);
    EXPECT_EQ(log, (Log{"0:changed 0=0.50", "2:changed 0=0.50"}));
}

TEST(Preset, KeepsTheFirstValueForAnIndexAndActivatesSilently) {
    Log log;
    TestDocument document;
    LoggingGui observer(0, &document, log);
    TestPreset preset(4, "Delay Spectral Bands");
    preset.AddParameter(1, AnyValue(500));
    preset.AddParameter(0, AnyValue(0.25f));
    preset.AddParameter(1, AnyValue(900));
    preset.Activate(document);
    EXPECT_EQ(document.getParameter(0)->getValue(), AnyValue(0.25f));
    EXPECT_EQ(document.getParameter(1)->getValue(), AnyValue(500));
    EXPECT_TRUE(log.empty());
}

TEST(DocumentDeathTest, IndicesOutsideTheTablesAndAutomationWithoutHostSupportAreFatal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TestDocument document;
    EXPECT_DEATH(document.updateParameter(4, AnyValue(1), nullptr),
                 fatalAssertion("index < m_parameters.size()"));
    EXPECT_DEATH(document.getParameter(99), fatalAssertion("index < m_parameters.size()"));
    TestPreset preset(0, "A");
    EXPECT_DEATH(preset.AddParameter(-1, AnyValue(1)), fatalAssertion("index >= 0"));
    RecordingHost host(false);
    EXPECT_DEATH(host.sendAutomationToDaw(0, 0.5f), fatalAssertion("m_supportsAutomation"));
}

struct AutomationBridge : ::testing::Test {
    Log log;
    RecordingHost host{true};
    TestDocument document;
    LoggingGui editor{0, &document, log};
    LoggingAutomation bridge{&document, &host};
};

TEST_F(AutomationBridge, HostValuesAreConvertedIntoTheDocumentAndOthersChangesSentBack) {
    bridge.handleAutomationFromDaw(1, 0.5f);
    EXPECT_EQ(document.getParameter(1)->getValue(), AnyValue(5010));
    EXPECT_EQ(log, (Log{"0:changed 1=5010"}));
    EXPECT_TRUE(host.sent.empty()); // not echoed to its source
    document.updateParameter(0, AnyValue(0.5f), &editor);
    document.updateParameter(3, AnyValue(0.5f), &editor); // not automatable
    EXPECT_EQ(host.sent, (std::vector<std::pair<unsigned int, float>>{{0u, 0.25f}}));
}

TEST_F(AutomationBridge, IgnoresWhatItMayNotApply) {
    bridge.suspend(true);
    bridge.handleAutomationFromDaw(0, 0.9f);
    bridge.suspend(false);
    bridge.handleAutomationFromDaw(3, 0.9f);  // not automatable
    bridge.handleAutomationFromDaw(17, 0.9f); // no such parameter
    bridge.handleAutomationFromDaw(0, std::numeric_limits<float>::quiet_NaN());
    bridge.handleAutomationFromDaw(0, std::numeric_limits<float>::infinity());
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(document.getParameter(0)->getValue(), AnyValue(1.0f));
    EXPECT_EQ(document.getParameter(3)->getValue(), AnyValue(0.5f));
}

TEST(Host, DeletesTheBridgeBeforeTheDocument) {
    Log log;
    {
        RecordingHost host(true);
        auto* document = new TestDocument(&log);
        host.own(document, new LoggingAutomation(document, &host, &log));
    }
    EXPECT_EQ(log, (Log{"automation deleted", "document deleted"}));
}
