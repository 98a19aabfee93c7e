#pragma once

#include "orvane/AnyValue.hpp"

#include <memory>
#include <string>
#include <vector>

namespace orvane {

// The description of one parameter: its type, name, one-line description, flags and the
// per-type record with default, minimum and maximum. A description owns its record; copies
// clone it.
class AnyDetails {
public:
    // Flag bits.
    static constexpr unsigned int Automatable = 1; // exchanged with the host's automation
    static constexpr unsigned int Reserved = 2;    // carried by some parameters, read by nothing
    static constexpr unsigned int Stored = 4;      // written into program texts and saved state

    class Detail {
    public:
        virtual Detail* clone() const = 0; // a new heap copy of the same concrete record
        virtual ~Detail() = default;
    };

    class BoolDetails : public Detail {
    public:
        explicit BoolDetails(bool defaultValue) : m_default(defaultValue) {}
        Detail* clone() const override { return new BoolDetails(*this); }
        bool getDefault() const { return m_default; }

    private:
        bool m_default;
    };

    // Default, minimum and maximum of a numeric type.
    template <typename T> class RangeDetails : public Detail {
    public:
        RangeDetails(T defaultValue, T minValue, T maxValue)
            : m_default(defaultValue), m_minValue(minValue), m_maxValue(maxValue) {}
        Detail* clone() const override { return new RangeDetails(*this); }
        T getDefault() const { return m_default; }
        T getMinValue() const { return m_minValue; }
        T getMaxValue() const { return m_maxValue; }

    private:
        T m_default;
        T m_minValue;
        T m_maxValue;
    };
    using IntDetails = RangeDetails<int>;
    using FloatDetails = RangeDetails<float>;

    // The maximum is the largest valid index and must name a value: a maximum not below the
    // number of names is a fatal assertion.
    class EnumDetails : public Detail {
    public:
        EnumDetails(unsigned int defaultValue, unsigned int minValue, unsigned int maxValue,
                    std::vector<std::string> names);
        Detail* clone() const override { return new EnumDetails(*this); }
        unsigned int getDefault() const { return m_default; }
        unsigned int getMinValue() const { return m_minValue; }
        unsigned int getMaxValue() const { return m_maxValue; }
        const std::vector<std::string>& getNames() const { return m_names; }

    private:
        unsigned int m_default;
        unsigned int m_minValue;
        unsigned int m_maxValue;
        std::vector<std::string> m_names;
    };

    class UndefinedDetail : public Detail {
    public:
        Detail* clone() const override { return new UndefinedDetail(*this); }
    };

    // An `Undefined` description named "Undefined", flags 0.
    AnyDetails();
    AnyDetails(std::string name, std::string description, bool defaultValue, unsigned int flags);
    AnyDetails(std::string name, std::string description, int defaultValue, int minValue,
               int maxValue, unsigned int flags);
    AnyDetails(std::string name, std::string description, unsigned int defaultValue,
               unsigned int minValue, unsigned int maxValue, std::vector<std::string> names,
               unsigned int flags);
    AnyDetails(std::string name, std::string description, float defaultValue, float minValue,
               float maxValue, unsigned int flags);

    AnyDetails(const AnyDetails& other);
    AnyDetails& operator=(const AnyDetails& other);
    AnyDetails(AnyDetails&&) noexcept = default;
    AnyDetails& operator=(AnyDetails&&) noexcept = default;
    ~AnyDetails() = default;

    AnyValue::Type getType() const { return m_type; }
    const std::string& getName() const { return m_name; }
    const std::string& getDescription() const { return m_description; }
    unsigned int getFlags() const { return m_flags; }
    int getIndex() const { return m_index; } // -1 until set
    void setIndex(int index) { m_index = index; }

    // The record when the description has that type, null otherwise.
    const BoolDetails* getBoolDetails() const;
    const IntDetails* getIntDetails() const;
    const EnumDetails* getEnumDetails() const;
    const FloatDetails* getFloatDetails() const;

    // The default as a value of the description's type (`Undefined` for an undefined one).
    AnyValue getDefault() const;

private:
    AnyDetails(AnyValue::Type type, std::string name, std::string description, unsigned int flags,
               std::unique_ptr<Detail> detail);

    AnyValue::Type m_type;
    std::string m_name;
    std::string m_description;
    unsigned int m_flags;
    int m_index = -1;
    std::unique_ptr<Detail> m_detail; // never null
};

} // namespace orvane
