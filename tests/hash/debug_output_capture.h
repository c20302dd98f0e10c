#pragma once
// Collects what this process writes to the debugger output. OutputDebugString
// raises an exception for a debugger to see; a vectored handler sees it first
// and lets it go on as usual.

#include <string>

namespace lumbrix::test {

class DebugOutputCapture {
public:
    DebugOutputCapture();
    ~DebugOutputCapture();
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

    // Everything written since construction, pieces joined.
    std::wstring Text() const;

private:
    void* handler_;
};

// The system's text for an error code, as FormatMessageW gives it.
std::wstring SystemText(unsigned long code);

} // namespace lumbrix::test
