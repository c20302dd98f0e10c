#include "job/checksum_store.h"

#include "job/count_coding.h"
#include "job/file_name_case.h"
#include "job/utf8_text.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_set>

namespace lumbrix {
namespace {

constexpr std::uint32_t kEmptySlot = 0xFFFFFFFF;
// Entries between two looks at a running flag.
constexpr std::size_t kEntriesPerLook = 4096;
constexpr std::size_t kMostEntries = kEmptySlot - 1;

// Reads the record at (chunk, offset), moving on to the next chunk first when
// this one is done, and leaves both after it; path holds the previous
// record's path on entry. False at the end of the store.
bool DecodeRecord(const ChunkedBytes& records, std::size_t& chunk, std::size_t& offset, std::string& path,
                  ChecksumDigest& digest)
{
    while (chunk < records.ChunkCount() && offset >= records.ChunkSize(chunk)) {
        ++chunk;
        offset = 0;
    }
    if (chunk >= records.ChunkCount()) return false;
    digest = ChecksumDigest{};
    const unsigned char* const start = records.ChunkData(chunk) + offset;
    const unsigned char* at = start;
    digest.algorithm = static_cast<ChecksumAlgorithm>(*at++);
    std::memcpy(digest.bytes, at, digest.size());
    at += digest.size();
    const std::size_t shared = GetCount(at);
    const std::size_t rest = GetCount(at);
    path.resize(shared);
    path.append(reinterpret_cast<const char*>(at), rest);
    offset += std::size_t(at + rest - start);
    return true;
}

std::uint32_t SlotHash(std::wstring_view path) noexcept
{
    const std::uint64_t hash = FileNameHash(path);
    return static_cast<std::uint32_t>(hash ^ hash >> 32);
}

// Room for one more element, growing by half: reserve(size() + 1) alone
// would grow by one and copy everything each time.
template <typename Vector>
void ReserveOneMore(Vector& vector)
{
    if (vector.size() == vector.capacity()) vector.reserve(std::max<std::size_t>(64, vector.size() + vector.size() / 2));
}

void Fold(std::wstring& path)
{
    for (wchar_t& unit : path) unit = FoldFileNameUnit(unit);
}

} // namespace

void ChecksumStore::Add(std::wstring_view fullPath, const ChecksumDigest& expected, bool openable)
{
    Append(fullPath, expected, openable ? VerifyStatus::Pending : VerifyStatus::Unreadable);
}

void ChecksumStore::AddNotListed(std::wstring_view fullPath)
{
    Append(fullPath, ChecksumDigest{}, VerifyStatus::NotListed);
}

void ChecksumStore::Append(std::wstring_view fullPath, const ChecksumDigest& expected, VerifyStatus status)
{
    const std::size_t index = statuses_.size();
    if (index >= kMostEntries) throw std::bad_alloc();
    scratch_.clear();
    AppendUtf8(scratch_, fullPath, true);
    const bool blockStart = index % kBlock == 0;
    const std::size_t shared =
        blockStart ? 0
                   : std::size_t(std::mismatch(previous_.begin(), previous_.begin() + std::min(previous_.size(), scratch_.size()),
                                               scratch_.begin())
                                     .first -
                                 previous_.begin());
    const std::size_t rest = scratch_.size() - shared;
    // Everything that can fail before anything changes.
    ReserveOneMore(statuses_);
    if (blockStart) ReserveOneMore(blocks_);
    previous_.reserve(scratch_.size());
    unsigned char* const start = records_.Reserve(1 + expected.size() + 2 * kMostCountBytes + rest);
    if (blockStart) {
        const std::size_t chunk = records_.ChunkCount() - 1;
        blocks_.push_back(std::uint64_t(chunk) << 32 | records_.ChunkSize(chunk));
    }
    unsigned char* at = start;
    *at++ = static_cast<unsigned char>(expected.algorithm);
    std::memcpy(at, expected.bytes, expected.size());
    at += expected.size();
    at = PutCount(at, shared);
    at = PutCount(at, rest);
    std::memcpy(at, scratch_.data() + shared, rest);
    records_.Commit(std::size_t(at + rest - start));
    statuses_.push_back(std::uint8_t(status));
    previous_.swap(scratch_);
    if (!slots_.empty()) {
        if ((statuses_.size() + 1) * 4 > slots_.size() * 3)
            slots_.clear(); // made anew, larger, at the next lookup
        else
            IndexEntry(index, fullPath);
    }
}

ChecksumEntry ChecksumStore::At(std::size_t index, std::wstring& buffer) const
{
    std::uint64_t start = blocks_[index / kBlock];
    std::size_t chunk = static_cast<std::size_t>(start >> 32);
    std::size_t offset = static_cast<std::size_t>(start & 0xFFFFFFFF);
    std::string path;
    ChecksumEntry entry;
    for (std::size_t i = index - index % kBlock; i <= index; ++i) DecodeRecord(records_, chunk, offset, path, entry.expected);
    buffer.clear();
    AppendGeneralisedUtf8(buffer, path);
    entry.index = index;
    entry.fullPath = buffer;
    return entry;
}

void ChecksumStore::IndexEntry(std::size_t index, std::wstring_view fullPath) noexcept
{
    const std::uint32_t hash = SlotHash(fullPath);
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = hash & mask;
    while (slots_[slot].index != kEmptySlot) slot = (slot + 1) & mask;
    slots_[slot] = Slot{static_cast<std::uint32_t>(index), hash};
}

bool ChecksumStore::BuildIndex(const std::atomic<bool>* running)
{
    std::size_t capacity = 16;
    while (capacity * 3 < (size() + 1) * 4) capacity *= 2;
    std::vector<Slot> slots(capacity, Slot{kEmptySlot, 0});
    slots_.swap(slots);
    try {
        Reader reader(*this);
        while (reader.Next()) {
            const ChecksumEntry& entry = reader.Entry();
            if (running && entry.index % kEntriesPerLook == 0 && !running->load(std::memory_order_acquire)) {
                slots_.clear();
                return false;
            }
            IndexEntry(entry.index, entry.fullPath);
        }
    } catch (...) {
        slots_.clear();
        throw;
    }
    return true;
}

bool ChecksumStore::PrepareLookups(const std::atomic<bool>* running)
{
    return !slots_.empty() || empty() || BuildIndex(running);
}

std::size_t ChecksumStore::Find(std::wstring_view fullPath)
{
    if (empty()) return kNone;
    if (slots_.empty()) BuildIndex(nullptr);
    const std::uint32_t hash = SlotHash(fullPath);
    const std::size_t mask = slots_.size() - 1;
    std::wstring buffer;
    for (std::size_t slot = hash & mask; slots_[slot].index != kEmptySlot; slot = (slot + 1) & mask) {
        if (slots_[slot].hash != hash) continue;
        if (FileNamesEqual(At(slots_[slot].index, buffer).fullPath, fullPath)) return slots_[slot].index;
    }
    return kNone;
}

void ChecksumStore::KeepUnder(std::vector<std::wstring>& selected, const std::atomic<bool>* running)
{
    std::unordered_set<std::wstring> folded;
    for (std::wstring& path : selected) {
        while (!path.empty() && path.back() == L'\\') path.pop_back();
        Fold(path);
        folded.insert(std::move(path));
    }
    std::wstring path;
    std::wstring prefix;
    Reader reader(*this);
    while (reader.Next()) {
        const ChecksumEntry& entry = reader.Entry();
        if (running && entry.index % kEntriesPerLook == 0 && !running->load(std::memory_order_acquire)) return;
        path.assign(entry.fullPath);
        Fold(path);
        bool named = folded.count(path) != 0;
        for (std::size_t at = path.find(L'\\'); !named && at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
            prefix.assign(path, 0, at);
            named = folded.count(prefix) != 0;
        }
        if (!named) SetStatus(entry.index, VerifyStatus::NotChecked);
    }
}

std::uint64_t ChecksumStore::MemoryBytes() const noexcept
{
    std::uint64_t chunks = 0;
    for (std::size_t i = 0; i < records_.ChunkCount(); ++i) chunks += ChunkedBytes::kChunkBytes;
    return chunks + blocks_.capacity() * sizeof(blocks_[0]) + statuses_.capacity() + slots_.capacity() * sizeof(Slot);
}

bool ChecksumStore::Reader::Next()
{
    if (next_ >= store_->size()) return false;
    const std::size_t chunk = chunk_;
    if (next_ % kBlock == 0) bytes_.clear();
    if (!DecodeRecord(store_->records_, chunk_, offset_, bytes_, entry_.expected)) return false;
    if (release_)
        for (std::size_t passed = chunk; passed < chunk_; ++passed) store_->records_.Release(passed);
    path_.clear();
    AppendGeneralisedUtf8(path_, bytes_);
    entry_.index = next_++;
    entry_.fullPath = path_;
    return true;
}

} // namespace lumbrix
