#pragma once
// What the phases of a checksum job make: the file chosen and what it left
// out (create), or the entries with their statuses (verify).

#include "hash/checksum_algorithm.h"
#include "job/checksum_store.h"

#include <cstdint>
#include <string>

namespace lumbrix {

struct ChecksumResults {
    // Create: the checksum file and its digest, as the user chose them.
    std::wstring target;
    ChecksumAlgorithm algorithm = ChecksumAlgorithm::None;
    // Create: files that the list leaves out because they could not be read.
    std::uint64_t unlistedFiles = 0;
    std::wstring firstUnlistedFile;

    // Verify: the entries, their expected digests and their outcomes.
    ChecksumStore store;
    // Verify: the computed digest of the first file read, shown when one
    // file was checked against one digest.
    ChecksumDigest firstComputed;
};

} // namespace lumbrix
