#pragma once

// Fatal assertions of the plug-in framework.
//
// A broken framework invariant (a typed getter used on the wrong type, an enumeration whose
// maximum has no name, a host without automation asked to automate) is a programming error in
// the parameter tables or their callers. It is reported on the standard error stream with the
// failed condition's text, file and line, and then the process aborts. The check is active in
// every build type: unlike `assert`, it does not disappear under NDEBUG.

namespace orvane {

[[noreturn]] void fatalAssertion(const char* condition, const char* file, int line);

} // namespace orvane

#define ORVANE_ASSERT(condition)                                                                   \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::orvane::fatalAssertion(#condition, __FILE__, __LINE__);                              \
    } while (false)
