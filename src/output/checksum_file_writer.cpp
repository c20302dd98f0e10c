#include "output/checksum_file_writer.h"

#include "common/long_path.h"
#include "job/checksum_file_lines.h"
#include "job/file_name_case.h"
#include "job/path_strings.h"

#include <windows.h>

#include <algorithm>
#include <new>

namespace lumbrix {
namespace {

constexpr std::size_t kWriteBytes = 64 * 1024;

// The ordinary form of a full path that may carry the extended-length prefix.
std::wstring OrdinaryPath(const std::wstring& path)
{
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

} // namespace

bool ChecksumFileWriter::Create(const std::wstring& target, ChecksumAlgorithm algorithm) noexcept
try {
    Discard();
    if (algorithm == ChecksumAlgorithm::None) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    algorithm_ = algorithm;
    target_ = OrdinaryPath(target);
    folder_ = ParentPart(target_);
    pending_.clear();
    pending_.reserve(kWriteBytes * 2);
    failed_ = false;
    return file_.Create(ToExtendedLengthPath(target_).c_str());
} catch (const std::bad_alloc&) {
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
}

ChecksumFileWriter::AddResult ChecksumFileWriter::Add(std::wstring_view fullPath, const ChecksumDigest& digest) noexcept
try {
    if (failed_ || file_.handle() == INVALID_HANDLE_VALUE || digest.algorithm != algorithm_) {
        if (!failed_) ::SetLastError(ERROR_INVALID_PARAMETER);
        failed_ = true;
        return AddResult::Failed;
    }
    if (FileNamesEqual(fullPath, target_)) return AddResult::SkippedList;
    ListedPath(fullPath, folder_, listed_);
    if (!AppendChecksumFileLine(pending_, digest, listed_)) return AddResult::NotListable;
    if (pending_.size() >= kWriteBytes && !Flush()) return AddResult::Failed;
    return AddResult::Listed;
} catch (const std::bad_alloc&) {
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    failed_ = true;
    return AddResult::Failed;
}

bool ChecksumFileWriter::Flush() noexcept
{
    std::size_t done = 0;
    while (done < pending_.size()) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(pending_.size() - done, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file_.handle(), pending_.data() + done, piece, &written, nullptr)) {
            failed_ = true;
            return false;
        }
        // Fewer bytes than asked for means the disk is full.
        if (written == 0) {
            ::SetLastError(ERROR_DISK_FULL);
            failed_ = true;
            return false;
        }
        done += written;
    }
    pending_.clear();
    return true;
}

bool ChecksumFileWriter::Commit() noexcept
{
    if (failed_ || !Flush()) {
        const DWORD error = ::GetLastError();
        Discard();
        ::SetLastError(error);
        return false;
    }
    return file_.Commit();
}

void ChecksumFileWriter::Discard() noexcept
{
    file_.Discard();
    pending_.clear();
}

} // namespace lumbrix
