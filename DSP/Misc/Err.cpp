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

// The handler is an atomic so that installing one while another thread reports is not a
// data race; the documented use is still to install it before processing starts.
std::atomic<AssertFailedHandlerType> gAssertHandler{&DefaultAssertHandler};

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

void ExecuteAssertFailedHandler(const char* message, const char* file, int line) {
    gAssertHandler.load()(message, file, line);
}

void DumpBacktrace(std::ostream& os) {
    os << " Unable to adquire symbols names for the backtrace" << '\n';
}

// The whole report is built first and written at once, so that reports from two threads
// do not interleave line by line.
void DefaultAssertHandler(const char* message, const char* file, int line) {
    std::ostringstream os;
    os << kFrame << '\n'
       << kAssertTitle << '\n'
       << kFrame << '\n'
       << "At file " << (file ? file : "") << " line " << line << '\n'
       << (message ? message : "") << '\n';
    DumpBacktrace(os);
    std::cerr << os.str() << std::flush;
}

} // namespace DSP
