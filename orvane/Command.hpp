#pragma once

namespace orvane {

// A deferred action, for handing an update to another thread.
class Command {
public:
    virtual ~Command() = default;
    virtual void Execute() = 0;
};

} // namespace orvane
