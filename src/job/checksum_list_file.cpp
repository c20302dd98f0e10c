#include "job/checksum_list_file.h"

#include "common/long_path.h"
#include "common/unique_any.h"
#include "job/checksum_list_reader.h"
#include "job/path_strings.h"

#include <windows.h>

#include <memory>
#include <new>

namespace lumbrix {
namespace {

constexpr DWORD kPieceBytes = 64 * 1024;

} // namespace

ListFileOutcome ReadChecksumListFile(const std::wstring& listPath, ChecksumStore& store,
                                     const std::atomic<bool>& running, ListFileCounts& counts,
                                     std::atomic<std::uint64_t>* bytesRead) noexcept
try {
    counts = ListFileCounts{};
    const UniqueFile file(::CreateFileW(ToExtendedLengthPath(listPath).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return ListFileOutcome::Failed;
    const std::unique_ptr<std::uint8_t[]> piece(new std::uint8_t[kPieceBytes]);
    ChecksumListReader reader(store, ParentPart(listPath), &running);
    std::uint64_t total = 0;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), piece.get(), kPieceBytes, &got, nullptr)) return ListFileOutcome::Failed;
        if (got == 0) break;
        total += got;
        if (bytesRead) bytesRead->store(total, std::memory_order_relaxed);
        const bool more = reader.Feed(piece.get(), got);
        counts = ListFileCounts{reader.Entries(), reader.NotUnderstood()};
        if (!more || !running.load(std::memory_order_acquire)) return ListFileOutcome::Cancelled;
    }
    reader.Finish();
    counts = ListFileCounts{reader.Entries(), reader.NotUnderstood()};
    return running.load(std::memory_order_acquire) ? ListFileOutcome::Read : ListFileOutcome::Cancelled;
} catch (const std::bad_alloc&) {
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return ListFileOutcome::Failed;
}

} // namespace lumbrix
