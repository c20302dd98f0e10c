#include "job/verify_outcome.h"

#include <cstring>

namespace lumbrix {
namespace {

bool Reported(VerifyStatus status) noexcept
{
    return status != VerifyStatus::Pending && status != VerifyStatus::NotChecked;
}

} // namespace

bool VerifyCounts::AllMatched() const noexcept
{
    for (std::size_t status = 0; status < kVerifyStatusCount; ++status)
        if (status != std::size_t(VerifyStatus::Match) && status != std::size_t(VerifyStatus::NotChecked) &&
            of[status] != 0)
            return false;
    return of[std::size_t(VerifyStatus::Match)] > 0;
}

VerifyCounts CountOutcome(const ChecksumStore& store) noexcept
{
    VerifyCounts counts;
    for (std::size_t i = 0; i < store.size(); ++i) ++counts.of[std::size_t(store.Status(i))];
    return counts;
}

std::uint64_t ReportUnits(ChecksumStore& store, const VerifyStatusTexts& texts)
{
    std::uint64_t units = 0;
    ChecksumStore::Reader reader(store);
    while (reader.Next()) {
        const ChecksumEntry& entry = reader.Entry();
        const VerifyStatus status = store.Status(entry.index);
        if (Reported(status)) units += texts[std::size_t(status)].size() + 1 + entry.fullPath.size() + 2;
    }
    return units;
}

void WriteReport(ChecksumStore& store, const VerifyStatusTexts& texts, wchar_t* out, bool release)
{
    const auto put = [&out](std::wstring_view text) {
        std::memcpy(out, text.data(), text.size() * sizeof(wchar_t));
        out += text.size();
    };
    ChecksumStore::Reader reader(store, release);
    while (reader.Next()) {
        const ChecksumEntry& entry = reader.Entry();
        const VerifyStatus status = store.Status(entry.index);
        if (!Reported(status)) continue;
        put(texts[std::size_t(status)]);
        put(L"\t");
        put(entry.fullPath);
        put(L"\r\n");
    }
}

} // namespace lumbrix
