#include "job/checksum_list_reader.h"

#include "job/entry_path.h"

namespace lumbrix {
namespace {

constexpr std::uint64_t kLinesPerLook = 4096;

} // namespace

bool ChecksumListReader::Line(std::wstring_view line)
{
    if (running_ && ++lines_ % kLinesPerLook == 0 && !running_->load(std::memory_order_acquire)) return false;
    switch (ParseChecksumLine(line, parsed_)) {
    case ChecksumLineKind::Entry: {
        const EntryPathKind kind = ResolveEntryPath(parsed_.path, base_, full_);
        store_.Add(full_, parsed_.digest, kind == EntryPathKind::Local);
        ++entries_;
        break;
    }
    case ChecksumLineKind::NotUnderstood:
        ++notUnderstood_;
        break;
    default:
        break;
    }
    return true;
}

ChecksumTextKind ReadChecksumText(std::wstring_view text, std::wstring_view baseFolder, ChecksumStore& store,
                                  ChecksumDigest& single, const std::atomic<bool>* running)
{
    if (ParseSingleDigest(text, single)) return ChecksumTextKind::SingleDigest;
    const std::size_t before = store.size();
    ChecksumListReader reader(store, std::wstring(baseFolder), running);
    if (reader.FeedText(text)) reader.Finish();
    return store.size() > before ? ChecksumTextKind::List : ChecksumTextKind::Nothing;
}

} // namespace lumbrix
