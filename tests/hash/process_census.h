#pragma once
// What the test process holds: its threads and its handles, to prove that
// nothing outlives the code under test.

#include <windows.h>
#include <tlhelp32.h>

#include <vector>

namespace lumbrix::test {

inline int ThreadCount()
{
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++count;
    ::CloseHandle(snapshot);
    return count;
}

// GetProcessHandleCount reports 0 under Wine, so the handles are counted in
// the system's handle table, where both Wine and Windows list them.
inline DWORD HandleCount()
{
    struct HandleEntry {
        ULONG ownerProcessId;
        BYTE objectType;
        BYTE flags;
        USHORT value;
        PVOID object;
        ULONG access;
    };
    struct HandleTable {
        ULONG count;
        HandleEntry entries[1];
    };
    using QueryFn = LONG(WINAPI*)(int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<QueryFn>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation"));
    constexpr int kSystemHandleInformation = 16;
    constexpr LONG kLengthMismatch = LONG(0xC0000004);
    std::vector<unsigned char> buffer(1 << 16);
    LONG status;
    while ((status = query(kSystemHandleInformation, buffer.data(), ULONG(buffer.size()), nullptr)) ==
           kLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status < 0) return 0;
    const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
    DWORD count = 0;
    for (ULONG i = 0; i < table->count; ++i)
        if (table->entries[i].ownerProcessId == ::GetCurrentProcessId()) ++count;
    return count;
}

} // namespace lumbrix::test
