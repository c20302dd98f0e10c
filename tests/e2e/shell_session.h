#pragma once
// Runs lumbrix-shell (the program that plays Explorer) as a separate process
// against the registered DLL, and registers the DLL with regsvr32.

#include <windows.h>

#include <string>
#include <vector>

namespace lumbrix::test {

struct ShellRun {
    DWORD exitCode = 0;
    std::wstring output; // what the program printed, CR LF kept
};

// Runs regsvr32 /s (and /u when unregister is set) on the built DLL; its exit code.
DWORD RunRegsvr32(bool unregister = false);

// Runs lumbrix-shell with the given arguments (paths are quoted here) and
// waits for it to end.
ShellRun RunShell(const std::vector<std::wstring>& arguments, const std::vector<std::wstring>& paths);

// Starts lumbrix-shell without waiting; the caller waits on and closes the handle.
HANDLE StartShell(const std::vector<std::wstring>& arguments, const std::vector<std::wstring>& paths);

// The millisecond figure that follows label in a --timing report; -1 when absent.
long TimingValue(const std::wstring& report, const std::wstring& label);

} // namespace lumbrix::test
