#include "output_job.h"

#include <windows.h>

#include <cwchar>

namespace lumbrix::test {

JobPointer MakeJob(const std::vector<std::wstring>& lines)
{
    JobPointer job = NewPhaseJob();
    for (const std::wstring& line : lines) {
        job->results.lines.Append(line);
        job->results.totalChars += line.size() + 2;
    }
    return job;
}

std::vector<std::wstring> ManyLines(std::size_t count, std::size_t length)
{
    std::vector<std::wstring> lines;
    lines.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        wchar_t prefix[32];
        std::swprintf(prefix, 32, L"line %07zu ", i);
        std::wstring line = prefix;
        line.resize(length, L'x');
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string ReadFileBytes(const std::wstring& path)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char chunk[65536];
    DWORD read = 0;
    while (::ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read > 0) bytes.append(chunk, read);
    ::CloseHandle(file);
    return bytes;
}

bool FileExists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace lumbrix::test
