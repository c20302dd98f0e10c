#include "hash/hashed_file.h"

#include "common/long_path.h"
#include "common/trace_system_error.h"

namespace lumbrix {

UniqueFile OpenHashedFile(const std::wstring& path, std::uint64_t& size) noexcept
{
    size = 0;
    std::wstring systemPath;
    try {
        systemPath = ToExtendedLengthPath(path);
    } catch (...) {
        TraceSystemError(ERROR_NOT_ENOUGH_MEMORY, L"HeapAlloc");
        return UniqueFile();
    }
    // Others may read, rename or delete the file meanwhile (the open handle
    // still reads the data it had); none may write to it.
    UniqueFile file(::CreateFileW(systemPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        TraceSystemError(::GetLastError(), L"CreateFile");
        ::OutputDebugStringW(path.c_str());
        ::OutputDebugStringW(L"\r\n");
        return file;
    }
    // Taken now: once a reader thread runs it may close the file at any
    // moment (an empty file ends at the first read).
    LARGE_INTEGER fileSize{};
    if (::GetFileSizeEx(file.get(), &fileSize))
        size = static_cast<std::uint64_t>(fileSize.QuadPart);
    else
        TraceSystemError(::GetLastError(), L"GetFileSize");
    return file;
}

} // namespace lumbrix
