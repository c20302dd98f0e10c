#pragma once
// Reads a checksum list file into the store, in pieces: its entries relative
// to the list's own folder.

#include "job/checksum_store.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace lumbrix {

enum class ListFileOutcome { Read, Cancelled, Failed };

struct ListFileCounts {
    std::uint64_t entries = 0;
    std::uint64_t notUnderstood = 0; // lines that are no entry, comment or blank
};

// listPath: the list's full path. bytesRead, when given, follows the reading
// (for a progress bar over the file's size). Failed: the thread's last error
// says why (ERROR_NOT_ENOUGH_MEMORY when the store could not grow); the
// store then holds what was read before.
ListFileOutcome ReadChecksumListFile(const std::wstring& listPath, ChecksumStore& store,
                                     const std::atomic<bool>& running, ListFileCounts& counts,
                                     std::atomic<std::uint64_t>* bytesRead = nullptr) noexcept;

} // namespace lumbrix
