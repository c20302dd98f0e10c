#pragma once
// Opening a file for the hashing readers: the extended-length path, the
// sequential-scan hint, the size taken at once, failures to the debugger output.

#include "common/unique_any.h"

#include <cstdint>
#include <string>

namespace lumbrix {

// Opens path for reading (others may read, rename or delete it) and takes its size; an empty
// owner after a failure, which is traced with the path as given. A failed size
// query is traced and leaves size 0.
UniqueFile OpenHashedFile(const std::wstring& path, std::uint64_t& size) noexcept;

} // namespace lumbrix
