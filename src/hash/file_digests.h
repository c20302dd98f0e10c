#pragma once
// The digests of one file as the hashing pass wants them: the engines that the
// options select, fed on one thread or shared between two, and their columns
// in the fixed order "\tCRC32:", "\tMD5:", "\tSHA1:", "\tSHA256:" in
// upper-case hex.
//
// Shared, the owner's thread (the one that takes the chunks) runs the slowest
// engine and the helper's thread (the one that reads them) all the others:
// MD5 cannot be split and is the slowest; SHA-1 and SHA-256 on the SHA
// instructions come next, but without them SHA-256 is the slowest by far. A
// file may go from one thread to two between chunks: each engine's state
// carries over. The engines may be chosen anew for each file, between files.

#include "hash/checksum_algorithm.h"
#include "hash/crc32.h"
#include "hash/engine_paths.h"
#include "hash/md5.h"
#include "hash/sha1.h"
#include "hash/sha256.h"

#include <cstdint>
#include <initializer_list>
#include <string>

namespace lumbrix {

// Which engines a file is fed to.
struct DigestSelection {
    bool crc32 = false;
    bool md5 = false;
    bool sha1 = false;
    bool sha256 = false;

    // Only the engine of algorithm (none for None).
    static DigestSelection Of(ChecksumAlgorithm algorithm) noexcept
    {
        return {algorithm == ChecksumAlgorithm::Crc32, algorithm == ChecksumAlgorithm::Md5,
                algorithm == ChecksumAlgorithm::Sha1, algorithm == ChecksumAlgorithm::Sha256};
    }
};

class FileDigests {
public:
    explicit FileDigests(const DigestSelection& selection) noexcept
        : sha256Accelerated_(ActiveSha256Path() != Sha256Path::Portable)
    {
        Choose(selection);
    }
    FileDigests(bool crc32, bool md5, bool sha1, bool sha256) noexcept
        : FileDigests(DigestSelection{crc32, md5, sha1, sha256})
    {
    }

    // The engines for the next file; call before its Init.
    void Choose(const DigestSelection& selection) noexcept
    {
        uses_ = (selection.crc32 ? kCrc32 : 0u) | (selection.md5 ? kMd5 : 0u) | (selection.sha1 ? kSha1 : 0u) |
                (selection.sha256 ? kSha256 : 0u);
        ownerShare_ = SlowestOf(uses_, sha256Accelerated_);
    }

    void Init() noexcept
    {
        crc32_.Init();
        md5_.Init();
        sha1_.Init();
        sha256_.Init();
    }

    // Both threads would have an engine to run: two digests or more.
    bool Shareable() const noexcept { return (uses_ & (uses_ - 1)) != 0; }

    // Every engine, on the calling thread.
    void Feed(const std::uint8_t* data, std::uint32_t size) noexcept { FeedEngines(uses_, data, size); }

    void FeedOwnerShare(const std::uint8_t* data, std::uint32_t size) noexcept
    {
        FeedEngines(ownerShare_, data, size);
    }

    void FeedHelperShare(const std::uint8_t* data, std::uint32_t size) noexcept
    {
        FeedEngines(uses_ & ~ownerShare_, data, size);
    }

    // As a reader's chunk observer: the helper's share.
    static void ObserveChunk(void* digests, const std::uint8_t* data, std::uint32_t size) noexcept
    {
        static_cast<FileDigests*>(digests)->FeedHelperShare(data, size);
    }

    void AppendColumns(std::wstring& text) const
    {
        wchar_t hex[65];
        if (uses_ & kCrc32) text.append(L"\tCRC32:").append(crc32_.HexDigest(hex));
        if (uses_ & kMd5) text.append(L"\tMD5:").append(md5_.HexDigest(hex));
        if (uses_ & kSha1) text.append(L"\tSHA1:").append(sha1_.HexDigest(hex));
        if (uses_ & kSha256) text.append(L"\tSHA256:").append(sha256_.HexDigest(hex));
    }

    // The digest of algorithm as bytes (CRC-32 most significant byte first, as
    // its hex digits read); false when that engine was not chosen.
    bool DigestOf(ChecksumAlgorithm algorithm, ChecksumDigest& digest) const noexcept
    {
        digest = ChecksumDigest{};
        digest.algorithm = algorithm;
        switch (algorithm) {
        case ChecksumAlgorithm::Crc32: {
            if (!(uses_ & kCrc32)) return false;
            const std::uint32_t value = crc32_.Value();
            for (int i = 0; i < 4; ++i) digest.bytes[i] = std::uint8_t(value >> (24 - 8 * i));
            return true;
        }
        case ChecksumAlgorithm::Md5:
            if (!(uses_ & kMd5)) return false;
            md5_.Digest(digest.bytes);
            return true;
        case ChecksumAlgorithm::Sha1:
            return (uses_ & kSha1) && sha1_.Digest(digest.bytes) == shaSuccess;
        case ChecksumAlgorithm::Sha256:
            if (!(uses_ & kSha256)) return false;
            sha256_.Digest(digest.bytes);
            return true;
        default:
            return false;
        }
    }

private:
    static constexpr unsigned kCrc32 = 1, kMd5 = 2, kSha1 = 4, kSha256 = 8;

    static unsigned SlowestOf(unsigned uses, bool sha256Accelerated) noexcept
    {
        for (unsigned engine : {sha256Accelerated ? kMd5 : kSha256, kMd5, kSha1, kSha256, kCrc32})
            if (uses & engine) return engine;
        return 0;
    }

    void FeedEngines(unsigned engines, const std::uint8_t* data, std::uint32_t size) noexcept
    {
        if (engines & kMd5) md5_.Update(data, size);
        if ((engines & (kSha1 | kSha256)) == (kSha1 | kSha256) && sha256Accelerated_) {
            // On the SHA instructions each of the two waits on the latency of
            // its own rounds: fed a block of each in turn, the processor runs
            // them side by side, 1.2 to 1.5 times as fast as one after the other
            // (by processor).
            for (std::uint32_t done = 0; done < size; done += 64) {
                const std::uint32_t piece = size - done < 64 ? size - done : 64;
                sha1_.Update(data + done, piece);
                sha256_.Update(data + done, piece);
            }
        } else {
            if (engines & kSha1) sha1_.Update(data, size);
            if (engines & kSha256) sha256_.Update(data, size);
        }
        if (engines & kCrc32) crc32_.Update(data, size);
    }

    Crc32 crc32_;
    Md5 md5_;
    Sha1 sha1_;
    Sha256 sha256_;
    unsigned uses_ = 0;
    bool sha256Accelerated_;
    unsigned ownerShare_ = 0; // one engine, or none when no digest is chosen
};

} // namespace lumbrix
