#include "support/scratch_folder.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace lumbrix::test {
namespace {

std::wstring LongForm(const std::wstring& path)
{
    if (path.rfind(L"\\\\?\\", 0) == 0 || path.size() < 3 || path[1] != L':') return path;
    return L"\\\\?\\" + path;
}

} // namespace

void CreateFolders(const std::wstring& path)
{
    for (std::size_t at = path.find(L'\\', 3); ; at = path.find(L'\\', at + 1)) {
        const std::wstring part = at == std::wstring::npos ? path : path.substr(0, at);
        ::CreateDirectoryW(LongForm(part).c_str(), nullptr);
        if (at == std::wstring::npos) break;
    }
}

void RemoveTree(const std::wstring& path)
{
    const std::wstring longPath = LongForm(path);
    const DWORD attributes = ::GetFileAttributesW(longPath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::SetFileAttributesW(longPath.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(longPath.c_str());
        return;
    }
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW data;
        HANDLE find = ::FindFirstFileW((longPath + L"\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                RemoveTree(path + L"\\" + name);
            } while (::FindNextFileW(find, &data));
            ::FindClose(find);
        }
    }
    ::SetFileAttributesW(longPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(longPath.c_str());
}

ScratchFolder::ScratchFolder()
{
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    std::wstring base = temp;
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    static LONG counter = 0;
    for (;;) {
        path_ = base + L"\\lumbrix-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                std::to_wstring(::InterlockedIncrement(&counter));
        if (::CreateDirectoryW(path_.c_str(), nullptr)) break;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create scratch folder");
    }
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

std::wstring ScratchFolder::operator/(std::wstring_view relative) const
{
    return path_ + L"\\" + std::wstring(relative);
}

std::wstring ScratchFolder::AddFolder(std::wstring_view relative) const
{
    const std::wstring folder = *this / relative;
    CreateFolders(folder);
    return folder;
}

std::wstring ScratchFolder::AddFile(std::wstring_view relative, std::string_view bytes) const
{
    const std::wstring file = *this / relative;
    CreateFolders(file.substr(0, file.find_last_of(L'\\')));
    HANDLE handle = ::CreateFileW(LongForm(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create test file");
    DWORD written = 0;
    if (!bytes.empty()) ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(handle);
    return file;
}

std::wstring ScratchFolder::AddFileOfSize(std::wstring_view relative, std::uint64_t size) const
{
    const std::wstring file = AddFile(relative);
    HANDLE handle = ::CreateFileW(LongForm(file).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    std::vector<char> chunk(1 << 20);
    for (std::size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>(i * 131 + 7);
    for (std::uint64_t done = 0; done < size;) {
        const DWORD part = static_cast<DWORD>(std::min<std::uint64_t>(chunk.size(), size - done));
        DWORD written = 0;
        ::WriteFile(handle, chunk.data(), part, &written, nullptr);
        done += part;
    }
    ::CloseHandle(handle);
    return file;
}

std::wstring ScratchFolder::AddSparseFile(std::wstring_view relative, std::uint64_t size) const
{
    const std::wstring file = AddFile(relative);
    HANDLE handle = ::CreateFileW(LongForm(file).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    ::SetFilePointerEx(handle, end, nullptr, FILE_BEGIN);
    ::SetEndOfFile(handle);
    ::CloseHandle(handle);
    return file;
}

} // namespace lumbrix::test
