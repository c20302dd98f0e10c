#pragma once
// The digests of one file as the hashing pass wants them: the engines that the
// options select, fed on one thread or shared between two, and their columns
// in the fixed order "\tCRC32:", "\tMD5:", "\tSHA1:" in upper-case hex.
//
// Shared, the owner's thread (the one that takes the chunks) runs MD5, or
// SHA-1 when MD5 is off; the helper's thread (the one that reads them) runs
// CRC-32 and, beside MD5, SHA-1. MD5 is the slowest engine and cannot be
// split; without it SHA-1 is the slowest. A file may go from one thread to
// two between chunks: each engine's state carries over.

#include "hash/crc32.h"
#include "hash/md5.h"
#include "hash/sha1.h"

#include <cstdint>
#include <string>

namespace lumbrix {

class FileDigests {
public:
    FileDigests(bool crc32, bool md5, bool sha1) noexcept
        : useCrc32_(crc32), useMd5_(md5), useSha1_(sha1), sha1OnHelper_(md5)
    {
    }

    void Init() noexcept
    {
        crc32_.Init();
        md5_.Init();
        sha1_.Init();
    }

    // Both threads would have an engine to run: two digests or more.
    bool Shareable() const noexcept { return int(useCrc32_) + int(useMd5_) + int(useSha1_) >= 2; }

    // Every engine, on the calling thread.
    void Feed(const std::uint8_t* data, std::uint32_t size) noexcept
    {
        FeedHelperShare(data, size);
        FeedOwnerShare(data, size);
    }

    void FeedOwnerShare(const std::uint8_t* data, std::uint32_t size) noexcept
    {
        if (useMd5_) md5_.Update(data, size);
        if (useSha1_ && !sha1OnHelper_) sha1_.Update(data, size);
    }

    void FeedHelperShare(const std::uint8_t* data, std::uint32_t size) noexcept
    {
        if (useSha1_ && sha1OnHelper_) sha1_.Update(data, size);
        if (useCrc32_) crc32_.Update(data, size);
    }

    // As a reader's chunk observer: the helper's share.
    static void ObserveChunk(void* digests, const std::uint8_t* data, std::uint32_t size) noexcept
    {
        static_cast<FileDigests*>(digests)->FeedHelperShare(data, size);
    }

    void AppendColumns(std::wstring& text) const
    {
        wchar_t hex[41];
        if (useCrc32_) text.append(L"\tCRC32:").append(crc32_.HexDigest(hex));
        if (useMd5_) text.append(L"\tMD5:").append(md5_.HexDigest(hex));
        if (useSha1_) text.append(L"\tSHA1:").append(sha1_.HexDigest(hex));
    }

private:
    Crc32 crc32_;
    Md5 md5_;
    Sha1 sha1_;
    bool useCrc32_;
    bool useMd5_;
    bool useSha1_;
    bool sha1OnHelper_;
};

} // namespace lumbrix
