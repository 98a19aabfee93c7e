#pragma once

#include "orvane/AnyValue.hpp"

#include <map>
#include <string>
#include <utility>

namespace orvane {

class Document;

// A named set of parameter values, kept in ascending parameter index order.
class Preset {
public:
    Preset(unsigned int id, std::string name) : m_id(id), m_name(std::move(name)) {}
    Preset(const Preset&) = delete;
    Preset& operator=(const Preset&) = delete;

    // Stores `value` for parameter `index` unless that index already has one (the first value
    // stays). A negative index is a fatal assertion.
    virtual void AddParameter(int index, AnyValue value);
    // Writes every stored value into `document` with `setParameter`, in ascending index order,
    // notifying nobody.
    virtual void Activate(Document& document);
    virtual ~Preset() = 0;

    unsigned int getId() const { return m_id; }
    const std::string& getName() const { return m_name; }
    const std::map<unsigned int, AnyValue>& getValues() const { return m_values; }

protected:
    std::map<unsigned int, AnyValue> m_values;
    unsigned int m_id;
    std::string m_name;
};

} // namespace orvane
