#pragma once
// One copy, from the menu to its worker thread: what was asked for, what the
// phases produced, and the progress record that the window reads.

#include "common/unique_any.h"
#include "job/result_list.h"
#include "job/selection_list.h"
#include "progress/job_progress.h"
#include "settings/output_options.h"

#include <cstdint>
#include <memory>

namespace lumbrix {

// Command numbers 1 to 5 of the menu: the path form of a copy.
enum CopyMode : std::int32_t {
    FullPath = 1,
    FullPathWithSubfolders = 2,
    RelativeWithSubfolders = 3,
    RelativeOneLevelDown = 4,
    NameOnly = 5,
};

// Fixed before the worker starts.
struct CopyRequest {
    std::int32_t mode = 0; // a CopyMode
    std::uint64_t fileCount = 0;
    std::uint64_t folderCount = 0;
    OutputOptions options;
    SelectionList selection;
};

struct CopyResults {
    ResultList lines;
    std::int64_t totalBytes = 0;  // of the files to hash
    std::uint64_t totalChars = 0; // of the text, CR LF included
    UniqueHGlobal text;           // the assembled block until the clipboard takes it
    // Folders whose contents are missing: their listing could not be had, or
    // failed before its end. The first in lstrcmpiW order of their paths.
    std::uint64_t unlistedFolders = 0;
    std::wstring firstUnlistedFolder;
    // Reused by each line as it is built, so that a line costs no allocation.
    std::wstring lineScratch;
    std::wstring sourceScratch;
};

struct CopyJob {
    CopyRequest request;
    CopyResults results;
    JobProgress progress;

    bool IsRunning() const noexcept { return progress.IsRunning(); }
};

using CopyJobPointer = std::unique_ptr<CopyJob>;

// A new job with its taskbar object, without throwing; null when memory runs
// out. Call on the thread that runs the menu command.
CopyJobPointer CreateCopyJob() noexcept;

} // namespace lumbrix
