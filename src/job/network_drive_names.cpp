#include "job/network_drive_names.h"

#include "common/unique_any.h"

#include <cwchar>
#include <new>
#include <utility>

namespace lumbrix {

std::atomic<RemoteNameQuery> remoteNameQueryForTesting{nullptr};

namespace {

// How many substituted drives a lookup follows, one standing for the next.
constexpr int kSubstitutionDepth = 4;

bool IsAsciiLetter(wchar_t c) noexcept { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }
wchar_t AsciiUpper(wchar_t c) noexcept { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

// The network redirector's name for drive ("Z:"); empty when the drive is
// not redirected or its mapping is remembered but not connected. mpr.dll is
// loaded here, on the lookup's own thread, and only for a copy that asks.
std::wstring AskRedirector(const wchar_t* drive)
{
    RemoteNameQuery query = remoteNameQueryForTesting.load();
    UniqueModule mpr;
    if (!query) {
        wchar_t system[MAX_PATH];
        const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return {};
        mpr.reset(::LoadLibraryW((std::wstring(system, length) + L"\\mpr.dll").c_str()));
        if (!mpr) return {};
        query = reinterpret_cast<RemoteNameQuery>(::GetProcAddress(mpr.get(), "WNetGetConnectionW"));
        if (!query) return {};
    }
    std::wstring remote(MAX_PATH, L'\0');
    DWORD length = static_cast<DWORD>(remote.size());
    DWORD status = query(drive, remote.data(), &length);
    if (status == ERROR_MORE_DATA && length > remote.size()) {
        remote.assign(length, L'\0');
        status = query(drive, remote.data(), &length);
    }
    if (status != NO_ERROR) return {};
    remote.resize(::wcsnlen(remote.data(), remote.size()));
    return remote;
}

std::wstring Usable(std::wstring remote)
{
    remote.resize(UsableRemoteName(remote).size());
    return remote;
}

std::wstring RemoteNameOfDrive(wchar_t letter, int substitutions)
{
    const wchar_t drive[] = {letter, L':', 0};
    std::wstring remote = Usable(AskRedirector(drive));
    if (!remote.empty() || substitutions == 0) return remote;

    // A substituted drive names what it stands for: "\??\Y:\folder", or
    // "\??\UNC\srv\share\folder". A mapped drive's own name (a redirector
    // device) is neither, nor is a local disk's.
    std::wstring target(MAX_PATH * 4, L'\0');
    if (::QueryDosDeviceW(drive, target.data(), static_cast<DWORD>(target.size())) == 0) return {};
    std::wstring_view mapped(target.c_str());
    if (mapped.substr(0, 4) != L"\\??\\") return {};
    mapped.remove_prefix(4);
    if (mapped.size() > 4 && AsciiUpper(mapped[0]) == L'U' && AsciiUpper(mapped[1]) == L'N' &&
        AsciiUpper(mapped[2]) == L'C' && mapped[3] == L'\\')
        return Usable(L"\\" + std::wstring(mapped.substr(3)));
    if (mapped.size() >= 2 && IsAsciiLetter(mapped[0]) && mapped[1] == L':' &&
        AsciiUpper(mapped[0]) != AsciiUpper(letter)) {
        remote = RemoteNameOfDrive(AsciiUpper(mapped[0]), substitutions - 1);
        if (remote.empty()) return remote;
        remote += mapped.substr(2);
        return Usable(std::move(remote));
    }
    return {};
}

struct DetachedStart {
    DetachedWork work;
    void* context;
};

DWORD WINAPI DetachedThreadProc(void* parameter)
{
    const DetachedStart start = *static_cast<DetachedStart*>(parameter);
    delete static_cast<DetachedStart*>(parameter);
    start.work(start.context);
    return 0;
}

} // namespace

bool StartDetachedThread(DetachedWork work, void* context) noexcept
{
    auto* start = new (std::nothrow) DetachedStart{work, context};
    if (!start) return false;
    const UniqueHandle thread(::CreateThread(nullptr, 0, DetachedThreadProc, start, 0, nullptr));
    if (!thread) delete start;
    return thread.valid();
}

std::wstring QueryDriveRemoteName(wchar_t driveLetter)
{
    if (!IsAsciiLetter(driveLetter)) return {};
    return RemoteNameOfDrive(AsciiUpper(driveLetter), kSubstitutionDepth);
}

// Shared by the drive that waits for it and the thread that answers: each
// drops its share when done with it, so a thread that answers after the wait
// gave up (or after the copy ended) still writes into memory it owns.
struct NetworkDriveNames::Lookup {
    std::atomic<int> owners{2};
    UniqueHandle done;              // set once remote holds the answer
    std::atomic<bool> answered{false}; // the same, for a look that costs no system call
    wchar_t letter = 0;
    std::wstring remote;

    void Release() noexcept
    {
        if (owners.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }

    static void Run(void* context) noexcept
    {
        auto* lookup = static_cast<Lookup*>(context);
        try {
            lookup->remote = QueryDriveRemoteName(lookup->letter);
        } catch (...) { // no memory for the name: a local drive
            lookup->remote.clear();
        }
        lookup->answered.store(true, std::memory_order_release);
        ::SetEvent(lookup->done.get());
        lookup->Release();
    }
};

NetworkDriveNames::NetworkDriveNames(DetachedThreadStarter start, const std::atomic<bool>* running,
                                     DWORD lookupTimeout, DWORD copyTimeout) noexcept
    : start_(start), running_(running), lookupTimeout_(lookupTimeout), copyTimeout_(copyTimeout)
{
}

NetworkDriveNames::~NetworkDriveNames()
{
    for (Drive& drive : drives_)
        if (drive.lookup) drive.lookup->Release();
}

void NetworkDriveNames::Start(Drive& drive, wchar_t letter) noexcept
{
    drive.state = State::Known; // local, unless the lookup starts
    if (waited_ >= copyTimeout_ || Cancelled()) return; // the network already had its time, or the copy ends
    auto* lookup = new (std::nothrow) Lookup;
    if (!lookup) return;
    lookup->letter = letter;
    lookup->done.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!lookup->done || !start_(&Lookup::Run, lookup)) {
        delete lookup;
        return;
    }
    drive.lookup = lookup;
    drive.state = State::Pending;
    ++pending_;
}

void NetworkDriveNames::Prefetch(std::wstring_view path) noexcept
{
    // Only a drive path, plain or extended (\\?\Z:\), has a drive to ask.
    if (path.size() >= 6 && path[0] == L'\\' && path[1] == L'\\' && (path[2] == L'?' || path[2] == L'.') &&
        path[3] == L'\\')
        path.remove_prefix(4);
    if (path.size() < 2 || !IsAsciiLetter(path[0]) || path[1] != L':') return;
    Drive& drive = drives_[AsciiUpper(path[0]) - L'A'];
    if (drive.state == State::Unknown) Start(drive, AsciiUpper(path[0]));
}

std::wstring_view NetworkDriveNames::RemoteNameOf(wchar_t driveLetter) noexcept
{
    if (!IsAsciiLetter(driveLetter)) return {};
    Drive& drive = drives_[AsciiUpper(driveLetter) - L'A'];
    if (drive.state == State::Unknown) Start(drive, AsciiUpper(driveLetter));
    if (drive.state == State::Pending) {
        const ULONGLONG left = waited_ < copyTimeout_ ? copyTimeout_ - waited_ : 0;
        const DWORD timeout = static_cast<DWORD>(left < lookupTimeout_ ? left : lookupTimeout_);
        const ULONGLONG begin = ::GetTickCount64();
        const bool answered = WaitUnlessCancelled(drive.lookup->done.get(), timeout);
        waited_ += ::GetTickCount64() - begin;
        Lookup* lookup = std::exchange(drive.lookup, nullptr);
        if (answered) drive.remote = std::move(lookup->remote);
        lookup->Release();
        drive.state = State::Known;
        --pending_;
    }
    return drive.remote;
}

bool NetworkDriveNames::Settled() noexcept
{
    if (pending_ == 0) return true;
    for (Drive& drive : drives_)
        if (drive.state == State::Pending && !drive.lookup->answered.load(std::memory_order_acquire)) return false;
    return true;
}

bool NetworkDriveNames::WaitUnlessCancelled(HANDLE done, DWORD timeout) const noexcept
{
    // The running flag has no event of its own: it is looked at between
    // short waits, so that a Cancel ends a wait on a hung network at once.
    const ULONGLONG end = ::GetTickCount64() + timeout;
    for (;;) {
        if (Cancelled()) return ::WaitForSingleObject(done, 0) == WAIT_OBJECT_0;
        const ULONGLONG now = ::GetTickCount64();
        const DWORD slice = now >= end ? 0 : static_cast<DWORD>(end - now < kCancelCheck ? end - now : kCancelCheck);
        if (::WaitForSingleObject(done, slice) == WAIT_OBJECT_0) return true;
        if (slice == 0) return false;
    }
}

} // namespace lumbrix
