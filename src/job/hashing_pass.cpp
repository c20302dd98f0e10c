// The hashing pass: every listed file is read once, each chunk feeds every
// enabled digest, and the columns are appended to the entry's line.

#include "job/hashing_pass.h"

#include "hash/crc32.h"
#include "hash/md5.h"
#include "hash/persistent_file_reader.h"
#include "hash/sha1.h"
#include "job/copy_job.h"
#include "common/long_path.h"
#include "progress/progress_window.h"

#include <algorithm>
#include <cwchar>
#include <memory>
#include <string>

namespace lumbrix {
namespace {

constexpr std::uint32_t kChunkSize = 65536;
constexpr std::uint64_t kProgressScale = 65535;
constexpr wchar_t kHashFailedColumn[] = L"\t(ハッシュ取得失敗)";

// The engines of the file at hand and the options that select them. The
// reader's thread takes CRC-32 and, when MD5 is wanted, SHA-1, so that they
// overlap with the work of the pass's thread: MD5 is the slowest engine and
// cannot be split; without it SHA-1 is the slowest, and it runs here while
// the reader's thread reads.
class FileDigests {
public:
    explicit FileDigests(const OutputOptions& options) noexcept
        : useCrc32_(options[OutputCRC32]), useMd5_(options[OutputMD5]), useSha1_(options[OutputSHA1]),
          sha1OnReader_(useMd5_)
    {
    }

    void Init() noexcept
    {
        crc32_.Init();
        md5_.Init();
        sha1_.Init();
    }

    // The share of the pass's thread.
    void FeedHere(const std::uint8_t* data, std::uint32_t size) noexcept
    {
        if (useMd5_) md5_.Update(data, size);
        if (useSha1_ && !sha1OnReader_) sha1_.Update(data, size);
    }

    // The share of the reader's thread.
    void FeedOnReader(const std::uint8_t* data, std::uint32_t size) noexcept
    {
        if (useSha1_ && sha1OnReader_) sha1_.Update(data, size);
        if (useCrc32_) crc32_.Update(data, size);
    }

    static void ObserveChunk(void* digests, const std::uint8_t* data, std::uint32_t size) noexcept
    {
        static_cast<FileDigests*>(digests)->FeedOnReader(data, size);
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
    bool sha1OnReader_;
};

// The progress fields: the position on the fixed 0..65535 scale over all
// files, and the entry's text with the share of its file read so far.
class PassProgress {
public:
    explicit PassProgress(CopyJob& job) : job_(job) {}

    void StartFile(const std::wstring& text, std::uint64_t size) noexcept
    {
        text_ = &text;
        fileSize_ = size;
        fileDone_ = 0;
    }

    void Advance(std::uint32_t bytes)
    {
        fileDone_ += bytes;
        allDone_ += bytes;
        ShowShare();
        // Data beyond the walk's total (a file that grew, or a size that
        // could not be read then) leaves the bar full rather than past its end.
        if (job_.results.totalBytes > 0) {
            const double position = double(allDone_) * double(kProgressScale) / double(job_.results.totalBytes);
            job_.progress.position.store(position < double(kProgressScale) ? std::uint64_t(position) : kProgressScale);
        }
    }

private:
    void ShowShare()
    {
        // Without a size no share can be right: the line stays as it is.
        if (fileSize_ == 0) return;
        // A file that grew after its size was taken stops at 100%.
        const double percent =
            fileDone_ >= fileSize_ ? 100.0 : double(fileDone_) / double(fileSize_) * 100.0;
        wchar_t share[32];
        const int shareLength = std::swprintf(share, 32, L" (%0.1f%%)", percent);
        if (shareLength <= 0) return;
        // A line too long for the progress text loses its end, not the share.
        const std::size_t room = ProgressText::kCapacity - 1 - std::size_t(shareLength);
        detail_.assign(*text_, 0, std::min(text_->size(), room));
        detail_.append(share, std::size_t(shareLength));
        job_.progress.detailText.Set(detail_);
    }

    CopyJob& job_;
    const std::wstring* text_ = nullptr;
    std::uint64_t fileSize_ = 0;
    std::uint64_t fileDone_ = 0;
    std::uint64_t allDone_ = 0;
    std::wstring detail_; // reused, so a chunk costs no allocation
};

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(ToExtendedLengthPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

bool ComputeHashes(CopyJob& job) { return ComputeHashes(job, HashingPassSettings{}); }

bool ComputeHashes(CopyJob& job, const HashingPassSettings& settings)
{
    if (!job.IsRunning()) return false;
    job.progress.statusText.Set(L"ハッシュを生成しています");
    job.results.totalChars = 0;
    job.progress.position.store(0);
    PostProgressMessage(job.progress, WM_PROGRESS_SETRANGE, kProgressScale);

    // Destroyed on every way out, cancellation and exceptions included, the
    // reader (declared after the engines that its thread may still feed)
    // first: its thread is idle or gone before the pass returns.
    FileDigests digests(job.request.options);
    PersistentFileReader reader;
    PassProgress progress(job);
    const auto chunk = std::make_unique<std::uint8_t[]>(kChunkSize);

    for (ResultEntry& entry : job.results.lines) {
        if (!job.IsRunning()) return false;
        job.progress.detailText.Set(entry.text);
        digests.Init();
        reader.Open(entry.sourcePath, kChunkSize, &FileDigests::ObserveChunk, &digests);
        if (reader.IsOpen()) {
            progress.StartFile(entry.text, reader.FileSize());
            for (std::uint32_t size = reader.Read(chunk.get()); size != 0; size = reader.Read(chunk.get())) {
                if (!job.IsRunning()) return false;
                progress.Advance(size);
                digests.FeedHere(chunk.get(), size);
                if (settings.afterChunk) settings.afterChunk(job, settings.context);
            }
            // Digests of the bytes before a failed read are not the file's.
            if (reader.ReadFailed())
                entry.text += kHashFailedColumn;
            else
                digests.AppendColumns(entry.text);
        } else if (!IsFolder(entry.sourcePath)) {
            entry.text += kHashFailedColumn;
        }
        job.results.totalChars += entry.text.size() + 2;
        std::wstring().swap(entry.sourcePath); // not needed again
        reader.Close();
    }
    job.progress.position.store(kProgressScale);
    return true;
}

} // namespace lumbrix
