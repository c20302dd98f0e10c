#pragma once
// Reads every listed file once and appends the digest columns. A pool of
// workers, one per processor (at most kMaxHashingWorkers), each takes whole
// files in list order and writes only its own lines, so the text is the one a
// single worker makes. The caller's thread is the first worker; every other
// thread of the pass has ended when ComputeHashes returns, an exception
// included (it comes out on the caller's thread).

#include "common/step_hooks.h"
#include "hash/checksum_algorithm.h"
#include "hash/file_digests.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace lumbrix {

class ProgressReport;
struct CopyResults;
struct OutputOptions;

constexpr unsigned kMaxHashingWorkers = 16;

struct HashingPassSettings {
    // How many workers; 0: DefaultHashingWorkers(). For the benchmark's table
    // and the tests (at most kMaxHashingWorkers).
    unsigned workers = 0;
    // After each chunk has been counted and digested, on the worker that read
    // it (so from several threads at once with several workers).
    StepHook afterChunk;
};

// The digests that options ask for, appended to results.lines; totalChars is
// counted again for the longer lines. True when every entry was processed;
// false when the copy was cancelled.
[[nodiscard]] bool ComputeHashes(CopyResults& results, const OutputOptions& options, ProgressReport& report,
                                 const HashingPassSettings& settings = {});

// The processors this process may run on, at most kMaxHashingWorkers.
unsigned DefaultHashingWorkers() noexcept;

// One file as a worker of the pass takes it.
struct HashedFile {
    std::size_t index = 0;   // the source's own number for it
    std::wstring path;       // the file to read
    std::wstring text;       // the detail text while it is read
    bool skip = false;       // nothing to read (a folder's line)
    bool onlineOnly = false; // its data is online only: not read, which would download it
    DigestSelection digests; // the engines it is fed to
    ChecksumDigest expected; // what its digest should be, for a source that checks
};

enum class HashOutcome {
    Digested,   // every byte read and digested
    Skipped,    // skip or onlineOnly was set: nothing opened
    OpenFailed, // the file could not be opened
    ReadFailed, // a read failed before its end: the digests are not the file's
};

// What the pass reads, in order, and where each file's digests go.
class HashingSource {
public:
    // The next file; false when none is left. Called by one worker at a time,
    // in the source's order. Throws std::bad_alloc.
    virtual bool Next(HashedFile& file) = 0;
    // The end of a file taken: digests holds its digests when outcome is
    // Digested. Called on the worker that read it (worker: 0 to the
    // workers' count - 1), for several files at once. Throws std::bad_alloc,
    // which ends the pass.
    virtual void Done(unsigned worker, const HashedFile& file, HashOutcome outcome, const FileDigests& digests) = 0;

protected:
    ~HashingSource() = default;
};

// Reads every file that source gives once, on the pool of workers, with the
// progress bar over totalBytes (0: the bar stays) and the status text given.
// files: how many the source will give, or an estimate (workers beyond it are
// not started). True when every file was done; false when the pass was
// cancelled. An exception of Next or Done comes out here once every worker
// has ended.
[[nodiscard]] bool RunHashingPass(HashingSource& source, std::size_t files, std::int64_t totalBytes,
                                  const wchar_t* statusText, ProgressReport& report,
                                  const HashingPassSettings& settings = {});

} // namespace lumbrix
