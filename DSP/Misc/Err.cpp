#include "DSP/Misc/Err.hpp"

#include <cstring>
#include <iostream>
#include <new>
#include <sstream>

namespace DSP {

namespace {

char* CopyText(const char* text) noexcept {
    if (!text)
        return nullptr;
    const std::size_t n = std::strlen(text) + 1;
    char* copy = new (std::nothrow) char[n];
    if (copy)
        std::memcpy(copy, text, n);
    return copy;
}

const char* const kFrame = "##########################################################";
const char* const kAssertTitle = "################### ASSERTION FAILED #####################";
const char* const kWarningTitle = "######################## WARNING #########################";

// Handlers are atomics so that installing one while another thread reports is not a data
// race; the documented use is still to install them before processing starts.
std::atomic<AssertFailedHandlerType> gAssertHandler{&DefaultAssertHandler};
std::atomic<WarningHandlerType> gWarningHandler{&DefaultWarningHandler};

// The whole report is built first and written at once, so that reports from two threads
// do not interleave line by line.
std::string FramedReport(const char* title, const char* message, const char* file, int line) {
    std::ostringstream os;
    os << kFrame << '\n'
       << title << '\n'
       << kFrame << '\n'
       << "At file " << (file ? file : "") << " line " << line << '\n'
       << (message ? message : "") << '\n';
    return os.str();
}

} // namespace

Err::Err(const char* msg) : mMsg(CopyText(msg)) {}

Err::Err(const Err& other) : std::exception(other), mMsg(CopyText(other.what())) {}

Err& Err::operator=(const Err& other) {
    if (this != &other) {
        char* copy = CopyText(other.what());
        delete[] mMsg;
        mMsg = copy;
    }
    return *this;
}

Err::~Err() {
    delete[] mMsg;
}

const char* Err::what() const noexcept {
    return mMsg ? mMsg : "Unknown Error";
}

void Err::Print() const {
    std::cerr << "DSP Error: " << what() << std::endl;
}

void Err::Embed(const char* nested) noexcept {
    static const char kSeparator[] = "\n Nested error: ";
    const char* base = what();
    const char* tail = nested ? nested : "";
    const std::size_t nBase = std::strlen(base);
    const std::size_t nSep = sizeof(kSeparator) - 1;
    const std::size_t nTail = std::strlen(tail);
    char* joined = new (std::nothrow) char[nBase + nSep + nTail + 1];
    if (!joined)
        return;
    std::memcpy(joined, base, nBase);
    std::memcpy(joined + nBase, kSeparator, nSep);
    std::memcpy(joined + nBase + nSep, tail, nTail + 1);
    delete[] mMsg;
    mMsg = joined;
}

std::atomic<bool> ErrAssertionFailed::breakpointInDSPAssertEnabled{true};

ErrAssertionFailed::ErrAssertionFailed(const char* message, const char* file, int line)
    : Err(message) {
    if (breakpointInDSPAssertEnabled)
        ExecuteAssertFailedHandler(message, file, line);
}

AssertFailedHandlerType SetAssertFailedHandler(AssertFailedHandlerType handler) {
    return gAssertHandler.exchange(handler ? handler : &DefaultAssertHandler);
}

WarningHandlerType SetWarningHandler(WarningHandlerType handler) {
    return gWarningHandler.exchange(handler ? handler : &DefaultWarningHandler);
}

void ExecuteAssertFailedHandler(const char* message, const char* file, int line) {
    gAssertHandler.load()(message, file, line);
}

void ExecuteWarningHandler(const char* message, const char* file, int line) {
    gWarningHandler.load()(message, file, line);
}

void DumpBacktrace(std::ostream& os) {
    os << " Unable to adquire symbols names for the backtrace" << '\n';
}

void DefaultAssertHandler(const char* message, const char* file, int line) {
    std::ostringstream os;
    os << FramedReport(kAssertTitle, message, file, line);
    DumpBacktrace(os);
    std::cerr << os.str() << std::flush;
}

void DefaultWarningHandler(const char* message, const char* file, int line) {
    std::cerr << FramedReport(kWarningTitle, message, file, line) << std::flush;
}

} // namespace DSP
