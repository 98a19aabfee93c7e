#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "DSP/Misc/Err.hpp"
#include "DSP/Processing/Base/ProcessingComposite.hpp"

// A configuration whose ConcreteConfigure outcome the test chooses.
struct FakeConfig : DSP::ProcessingConfig {
    bool accept = true;
    std::string explanation; // appended to the status before a refusal
    std::string throwText;   // when set, ConcreteConfigure throws DSP::Err with this text
    const char* GetDSPClassName() const override { return "FakeConfig"; }
};

inline FakeConfig Outcome(bool accept, std::string explanation = "", std::string throwText = "") {
    FakeConfig cfg;
    cfg.accept = accept;
    cfg.explanation = std::move(explanation);
    cfg.throwText = std::move(throwText);
    return cfg;
}

// Records lifecycle calls as "<event> <name>" into a shared journal.
using Journal = std::vector<std::string>;

template <class Base> class Fake : public Base {
public:
    explicit Fake(std::string name = "fake", Journal* journal = nullptr)
        : mName(std::move(name)), mJournal(journal) {}

    bool Do() override { return true; }
    const char* GetDSPClassName() const override { return "Fake"; }
    const DSP::ProcessingConfig& GetConfig() const override { return mConfig; }

    std::string startFailure; // ConcreteStart throws std::runtime_error with this text
    std::string stopFailure;  // ConcreteStop throws std::runtime_error with this text

protected:
    bool ConcreteConfigure(const DSP::ProcessingConfig& cfg) override {
        const auto& fake = dynamic_cast<const FakeConfig&>(cfg);
        if (!fake.throwText.empty())
            throw DSP::Err(fake.throwText.c_str());
        if (!fake.explanation.empty())
            this->AddConfigErrorMessage(fake.explanation);
        mConfig = fake;
        return fake.accept;
    }
    bool ConcreteStart() override { return Note("start", startFailure) && Base::ConcreteStart(); }
    bool ConcreteStop() override { return Note("stop", stopFailure) && Base::ConcreteStop(); }

private:
    bool Note(const char* event, const std::string& failure) {
        if (mJournal != nullptr)
            mJournal->push_back(std::string(event) + " " + mName);
        if (!failure.empty())
            throw std::runtime_error(failure);
        return true;
    }

    std::string mName;
    Journal* mJournal;
    FakeConfig mConfig;
};

using FakeProcessing = Fake<DSP::Processing>;
using FakeComposite = Fake<DSP::ProcessingComposite>;
