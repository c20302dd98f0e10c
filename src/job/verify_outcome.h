#pragma once
// The outcome of a verification: how many entries ended in each status, and
// the report of every entry, "<status><TAB><full path>" and CR LF, from
// status texts that the caller supplies. Portable.

#include "job/checksum_store.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace lumbrix {

struct VerifyCounts {
    std::uint64_t of[kVerifyStatusCount] = {};

    std::uint64_t operator[](VerifyStatus status) const noexcept { return of[std::size_t(status)]; }
    // At least one entry matched and nothing else ended otherwise (entries
    // NotChecked aside).
    bool AllMatched() const noexcept;
};

VerifyCounts CountOutcome(const ChecksumStore& store) noexcept;

// The text of each status, indexed by VerifyStatus; the report leaves out
// entries that are Pending or NotChecked, so their texts are not used.
using VerifyStatusTexts = std::array<std::wstring_view, kVerifyStatusCount>;

// The report's length in UTF-16 units. Throws std::bad_alloc.
std::uint64_t ReportUnits(ChecksumStore& store, const VerifyStatusTexts& texts);
// Writes the report, exactly ReportUnits units, to out. With release the
// store's paths are freed as they are written (the store is then spent),
// so that the report does not need the list's memory twice. Throws
// std::bad_alloc.
void WriteReport(ChecksumStore& store, const VerifyStatusTexts& texts, wchar_t* out, bool release = false);

} // namespace lumbrix
