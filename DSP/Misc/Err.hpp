#pragma once

#include <atomic>
#include <exception>
#include <iosfwd>
#include <string>

namespace DSP {

/// The signal library's base exception: carries an optional message (a private heap copy).
class Err : public std::exception {
public:
    Err() noexcept = default;
    /// Copies msg; a null msg gives an error without a message.
    explicit Err(const char* msg);
    Err(const Err& other);
    Err& operator=(const Err& other);
    ~Err() override;

    /// The message, or "Unknown Error" when there is none.
    const char* what() const noexcept override;

    /// Writes "DSP Error: " + what() + newline to the standard error stream.
    void Print() const;

    /// Appends "\n Nested error: " + nested to the message. If the longer text cannot be
    /// allocated, the message stays as it was.
    void Embed(const char* nested) noexcept;
    void Embed(const std::exception& nested) noexcept { Embed(nested.what()); }

private:
    char* mMsg = nullptr;
};

/// A failed check of the library. Building one reports the failure through the current
/// assertion handler (when breakpointInDSPAssertEnabled is set); the builder then throws it.
class ErrAssertionFailed : public Err {
public:
    ErrAssertionFailed(const char* message, const char* file, int line);
    ErrAssertionFailed(const std::string& message, const char* file, int line)
        : ErrAssertionFailed(message.c_str(), file, line) {}

    /// When true (the initial value), every new ErrAssertionFailed calls the assertion
    /// handler before it is thrown. Process-wide; set it before processing starts.
    static std::atomic<bool> breakpointInDSPAssertEnabled;
};

/// A bad value met while reading or naming flags; carries a text message.
class IllegalValue : public std::exception {
public:
    explicit IllegalValue(std::string message) : mMessage(std::move(message)) {}
    const char* what() const noexcept override { return mMessage.c_str(); }

private:
    std::string mMessage;
};

/// Assertion handler: (message, source file, line) -> nothing.
using AssertFailedHandlerType = void (*)(const char* message, const char* file, int line);

/// Install a handler; returns the one it replaces. Process-wide; the handler starts as
/// DefaultAssertHandler. A null handler restores the default.
AssertFailedHandlerType SetAssertFailedHandler(AssertFailedHandlerType handler);

/// Call the current handler.
void ExecuteAssertFailedHandler(const char* message, const char* file, int line);

/// Write the framed "ASSERTION FAILED" report (with the back-trace line) to standard error.
void DefaultAssertHandler(const char* message, const char* file, int line);

/// Write the back-trace line of a report. Symbol names are not collected, so the line says
/// so.
void DumpBacktrace(std::ostream& os);

} // namespace DSP

/// Always-on check of the library: when cond is false, throws
/// DSP::ErrAssertionFailed(msg, __FILE__, __LINE__). Checks are part of the behaviour and
/// are never compiled out.
#define DSP_CHECK(cond, msg)                                                                       \
    do {                                                                                           \
        if (!(cond))                                                                               \
            throw ::DSP::ErrAssertionFailed((msg), __FILE__, __LINE__);                            \
    } while (0)
