#pragma once
// The UNC names of the mapped drives that one copy meets. Each drive is asked
// once per copy, on a thread of its own, and waited for a bounded time: a
// network that does not answer costs the copy a few seconds at most, and the
// drive then counts as local. The worker thread alone uses the object.

#include "job/path_styles.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace lumbrix {

// Runs work(context) on a thread that nobody joins; false when no thread
// could be started (work then never runs). Code in a DLL passes a starter
// that keeps the module loaded until the thread's last instruction.
using DetachedWork = void (*)(void* context) noexcept;
using DetachedThreadStarter = bool (*)(DetachedWork work, void* context) noexcept;

// A plain thread: for code that is not unloaded while the thread runs.
bool StartDetachedThread(DetachedWork work, void* context) noexcept;

// What WNetGetConnectionW does. Wine maps no network drive, so a test puts a
// query of its own here; null means the system's.
using RemoteNameQuery = DWORD(WINAPI*)(LPCWSTR localName, LPWSTR remoteName, LPDWORD length);
extern std::atomic<RemoteNameQuery> remoteNameQueryForTesting;

// The remote name behind a drive letter, asked of the system now: the
// mapping's UNC name, or for a substituted drive the name of what it stands
// for; empty for a local or disconnected drive. May block on the network.
std::wstring QueryDriveRemoteName(wchar_t driveLetter);

class NetworkDriveNames final : public DriveRemoteNames {
public:
    static constexpr DWORD kLookupTimeout = 3000; // ms one drive may take
    static constexpr DWORD kCopyTimeout = 5000;   // ms all drives of a copy may take together
    static constexpr DWORD kCancelCheck = 50;     // ms between two looks at running while waiting

    // running, when given, is the copy's running flag: once it is false no
    // lookup is started or waited for any more (the drive counts as local).
    explicit NetworkDriveNames(DetachedThreadStarter start = &StartDetachedThread,
                               const std::atomic<bool>* running = nullptr, DWORD lookupTimeout = kLookupTimeout,
                               DWORD copyTimeout = kCopyTimeout) noexcept;
    ~NetworkDriveNames();
    NetworkDriveNames(const NetworkDriveNames&) = delete;
    NetworkDriveNames& operator=(const NetworkDriveNames&) = delete;

    // Starts the lookup of the drive that path begins with, without waiting:
    // the selection's drives can be asked while the walk runs.
    void Prefetch(std::wstring_view path) noexcept;

    // Waits for the drive's lookup when it runs; starts it first when it
    // has not been started. Empty for a local drive, and for one whose lookup
    // failed, timed out, could not be started or was given up on a cancel.
    std::wstring_view RemoteNameOf(wchar_t driveLetter) noexcept override;

    // Without waiting: whether every lookup started so far has answered, so
    // that RemoteNameOf would not wait. Once true it stays true (until a
    // lookup of a drive not asked for before starts).
    bool Settled() noexcept;

private:
    struct Lookup;
    enum class State : std::uint8_t { Unknown, Pending, Known };
    struct Drive {
        State state = State::Unknown;
        Lookup* lookup = nullptr; // while Pending
        std::wstring remote;      // once Known; empty for a local drive
    };

    void Start(Drive& drive, wchar_t letter) noexcept;
    bool Cancelled() const noexcept { return running_ && !running_->load(std::memory_order_acquire); }
    // Whether done was set within timeout ms; false at once on a cancel.
    bool WaitUnlessCancelled(HANDLE done, DWORD timeout) const noexcept;

    std::array<Drive, 26> drives_;
    DetachedThreadStarter start_;
    const std::atomic<bool>* running_;
    DWORD lookupTimeout_;
    DWORD copyTimeout_;
    ULONGLONG waited_ = 0; // ms spent waiting, over every drive
    int pending_ = 0;      // drives whose lookup runs
};

} // namespace lumbrix
