// Checksum lists from anywhere: any bytes, fed in pieces of sizes the input
// chooses, as a file's bytes and as clipboard units, must never crash, hang or
// read out of bounds; every entry read back must be one that can be found
// again by its path, and the report must fill exactly the room it asked for.

#include "job/checksum_list_reader.h"
#include "job/checksum_store.h"
#include "job/file_name_case.h"
#include "job/verify_outcome.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace lumbrix;

void Check(ChecksumStore& store)
{
    std::wstring found;
    ChecksumStore::Reader reader(store);
    while (reader.Next()) {
        const ChecksumEntry& entry = reader.Entry();
        if (entry.fullPath.empty() || entry.expected.algorithm == ChecksumAlgorithm::None) std::abort();
        const std::size_t index = store.Find(entry.fullPath);
        if (index == ChecksumStore::kNone || !FileNamesEqual(store.At(index, found).fullPath, entry.fullPath))
            std::abort();
    }
    store.KeepSelected(std::vector<std::wstring>{L"C:\\Base\\a", L"C:\\"});
    const VerifyStatusTexts texts = {L"", L"m", L"x", L"nf", L"u", L"nl", L""};
    const std::uint64_t units = ReportUnits(store, texts);
    std::vector<wchar_t> report(units + 1, L'#');
    WriteReport(store, texts, report.data());
    if (report[units] != L'#') std::abort();
}

// Lines of every form around paths and digits that the input chooses, so
// that many inputs hold real entries.
std::vector<std::uint8_t> FormedLines(FuzzedDataProvider& input)
{
    static const char* const kForms[] = {"%h  %p", "%h *%p", "\\%h  %p", "SHA256 (%p) = %h", "MD5 (%p) = %h",
                                         "%p %h", "%p\tCRC32:%h\tSHA256:%h", "; %p", "%p"};
    std::string text;
    while (input.remaining_bytes() > 0) {
        const std::string form = kForms[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kForms) - 1)];
        const std::string path = input.ConsumeRandomLengthString(80);
        const std::size_t digits = std::size_t{8} << input.ConsumeIntegralInRange(0, 3);
        std::string hex;
        for (std::size_t i = 0; i < digits; ++i) hex += "0123456789abcdefABCDEF"[input.ConsumeIntegralInRange(0, 21)];
        for (std::size_t i = 0; i < form.size(); ++i) {
            if (form[i] == '\\' && i + 1 < form.size() && form[i + 1] == 't') {
                text += '\t';
                ++i;
            } else if (form[i] == '%' && i + 1 < form.size()) {
                text += form[++i] == 'h' ? hex : path;
            } else {
                text += form[i];
            }
        }
        text += input.ConsumeBool() ? "\r\n" : "\n";
    }
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::size_t piece = input.ConsumeIntegralInRange<std::size_t>(1, 300);
    const bool asUnits = input.ConsumeBool();
    const std::vector<std::uint8_t> bytes =
        input.ConsumeBool() ? FormedLines(input) : input.ConsumeRemainingBytes<std::uint8_t>();

    ChecksumStore store;
    ChecksumListReader reader(store, L"C:\\Base");
    if (asUnits) {
        std::wstring units;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) units += wchar_t(bytes[i] | bytes[i + 1] << 8);
        for (std::size_t at = 0; at < units.size(); at += piece)
            reader.FeedText(std::wstring_view(units).substr(at, piece));
        ChecksumStore single;
        ChecksumDigest digest;
        ReadChecksumText(units, L"C:\\Base", single, digest);
    } else {
        for (std::size_t at = 0; at < bytes.size(); at += piece)
            reader.Feed(bytes.data() + at, std::min(piece, bytes.size() - at));
    }
    reader.Finish();
    if (reader.Entries() != store.size()) std::abort();
    Check(store);
    return 0;
}
