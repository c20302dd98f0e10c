#include "output/verify_report_block.h"

#include "output/text_block_allocation.h"

#include <cstdint>
#include <new>

namespace lumbrix {

UniqueHGlobal BuildVerifyReportBlock(ChecksumStore& store, const VerifyStatusTexts& texts, bool release) noexcept
try {
    const std::uint64_t units = ReportUnits(store, texts) + 1;
    if (units > SIZE_MAX / sizeof(wchar_t)) return UniqueHGlobal();
    const TextBlockAllocator allocate = textBlockAllocatorForTesting.load();
    UniqueHGlobal block((allocate ? allocate : &::GlobalAlloc)(GMEM_MOVEABLE, SIZE_T(units * sizeof(wchar_t))));
    if (!block) return block;
    GlobalLock lock(block.get());
    auto* out = static_cast<wchar_t*>(lock.data());
    if (!out) return UniqueHGlobal();
    WriteReport(store, texts, out, release);
    out[units - 1] = L'\0';
    return block;
} catch (const std::bad_alloc&) {
    return UniqueHGlobal();
}

} // namespace lumbrix
