#include "output/replacement_file.h"

#include <atomic>

namespace lumbrix {
namespace {

// Opens the target for writing without changing it, the way the final move
// will need it; a missing target is fine.
bool TargetIsReplaceable(const wchar_t* target) noexcept
{
    const UniqueFile probe(::CreateFileW(target, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                         nullptr));
    return probe || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

std::wstring TemporaryName(const std::wstring& target, unsigned attempt)
{
    static std::atomic<unsigned> counter{0};
    wchar_t suffix[48];
    ::wsprintfW(suffix, L".%lu-%u-%u.tmp", ::GetCurrentProcessId(), counter.fetch_add(1), attempt);
    return target + suffix;
}

} // namespace

bool ReplacementFile::Create(const wchar_t* target) noexcept
try {
    Discard();
    if (!TargetIsReplaceable(target)) return false;
    target_ = target;
    for (unsigned attempt = 0; attempt < 16; ++attempt) {
        temporary_ = TemporaryName(target_, attempt);
        file_.reset(::CreateFileW(temporary_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (file_) return true;
        if (::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    const DWORD error = ::GetLastError();
    temporary_.clear();
    ::SetLastError(error);
    return false;
} catch (...) { // no memory for the names
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
}

bool ReplacementFile::Commit() noexcept
{
    if (!file_) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    bool done = ::FlushFileBuffers(file_.get()) != FALSE;
    file_.reset();
    // The data was written as a temporary file; the result is an ordinary one.
    done = done && ::SetFileAttributesW(temporary_.c_str(), FILE_ATTRIBUTE_NORMAL) &&
           ::MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (done) {
        temporary_.clear();
        return true;
    }
    const DWORD error = ::GetLastError();
    Discard();
    ::SetLastError(error);
    return false;
}

void ReplacementFile::Discard() noexcept
{
    file_.reset();
    if (!temporary_.empty()) ::DeleteFileW(temporary_.c_str());
    temporary_.clear();
}

} // namespace lumbrix
