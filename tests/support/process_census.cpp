#include "support/process_census.h"

#include <tlhelp32.h>

#include <vector>

namespace lumbrix::test {
namespace {

// SystemHandleInformation (16) and its records.
struct HandleRecord {
    ULONG processId;
    UCHAR objectType;
    UCHAR flags;
    USHORT handle;
    void* object;
    ACCESS_MASK access;
};
struct HandleRecords {
    ULONG count;
    HandleRecord records[1];
};
using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
using QueryProcessInformation = LONG(WINAPI*)(HANDLE, ULONG, void*, ULONG, ULONG*);

} // namespace

int ThreadCount()
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

std::size_t KernelHandleCount()
{
    DWORD count = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &count) && count > 0) return count;
    const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return 0;
    std::vector<char> buffer(1 << 20);
    for (;;) {
        ULONG needed = 0;
        const LONG status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == static_cast<LONG>(0xC0000004)) { // STATUS_INFO_LENGTH_MISMATCH
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != 0) return 0;
        break;
    }
    const auto* records = reinterpret_cast<const HandleRecords*>(buffer.data());
    std::size_t mine = 0;
    for (ULONG i = 0; i < records->count; ++i)
        if (records->records[i].processId == ::GetCurrentProcessId()) ++mine;
    return mine;
}

std::size_t GdiObjectCount()
{
    if (const DWORD count = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)) return count;
    // PEB.GdiSharedHandleTable: 0x10000 entries of 24 bytes, the type byte at 14.
    const auto queryProcess = reinterpret_cast<QueryProcessInformation>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    void* basic[6] = {}; // PROCESS_BASIC_INFORMATION; the PEB's address is the second field
    if (!queryProcess || queryProcess(::GetCurrentProcess(), 0, basic, sizeof(basic), nullptr) != 0) return 0;
    const auto* peb = static_cast<const BYTE*>(basic[1]);
    const BYTE* table = *reinterpret_cast<const BYTE* const*>(peb + 0xF8);
    if (!table) return 0;
    std::size_t used = 0;
    for (std::size_t entry = 0; entry < 0x10000; ++entry)
        if (table[entry * 24 + 14] != 0) ++used;
    return used;
}

} // namespace lumbrix::test
