#pragma once
// Verification's reading: the files that the entries of a checksum store name
// are found first (a missing one ends Not found without being opened), then
// read once each by the hashing pass, which compares their digests with the
// expected ones.

#include "job/checksum_store.h"
#include "job/hashing_pass.h"

#include <cstdint>

namespace lumbrix {

class ProgressReport;

// What is left to read once the files have been found.
struct VerifyPlan {
    std::uint64_t files = 0;     // entries still Pending
    std::int64_t totalBytes = 0; // their sizes together
};

// Looks up each Pending entry's file by its attributes: nothing of that name,
// or a folder, makes it NotFound; the others stay Pending and their sizes
// add up to plan. False when the job was cancelled. Throws std::bad_alloc.
[[nodiscard]] bool LocateVerifyFiles(ChecksumStore& store, ProgressReport& report, VerifyPlan& plan);

// Reads the file of every Pending entry once and sets its status: Match or
// Mismatch, NotFound or Unreadable. With firstComputed, the digest of the
// first file digested is kept there. False when the job was cancelled (the
// entries not reached stay Pending). Throws std::bad_alloc.
[[nodiscard]] bool VerifyEntries(ChecksumStore& store, const VerifyPlan& plan, ProgressReport& report,
                                 const HashingPassSettings& settings = {}, ChecksumDigest* firstComputed = nullptr);

} // namespace lumbrix
