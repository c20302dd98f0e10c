#pragma once
// The record that carries one copy from the menu to its worker thread.

#include "common/com_ptr.h"
#include "common/unique_any.h"
#include "job/progress_text.h"
#include "job/result_list.h"
#include "settings/output_options.h"
#include "shellext/selection_list.h"

#include <windows.h>
#include <shobjidl.h>

#include <atomic>
#include <cstdint>

namespace lumbrix {

// Command numbers 1 to 5 of the menu: the path form of a copy.
enum CopyMode : std::int32_t {
    FullPath = 1,
    FullPathWithSubfolders = 2,
    RelativeWithSubfolders = 3,
    RelativeOneLevelDown = 4,
    NameOnly = 5,
};

struct CopyJob {
    std::int32_t mode = 0; // 1..5 a CopyMode; 6..14 while the option popup runs; 0 nothing to do
    std::uint64_t fileCount = 0;
    std::uint64_t folderCount = 0;
    OutputOptions options;
    SelectionList selection;
    ResultList resultLines;
    std::int64_t totalBytes = 0;
    std::uint64_t totalChars = 0;
    UniqueHGlobal clipboardText;
    ComPtr<ITaskbarList3> taskbar;
    UniqueHandle progressThread;
    std::atomic<HWND> progressWindow{nullptr};
    std::atomic<bool> running{true};
    std::atomic<std::uint64_t> progressPos{0};
    std::uint64_t progressTotal = ~std::uint64_t{0};
    HWND ownerWindow = nullptr;
    DWORD startTick = 0;
    UniqueFont progressFont;
    ProgressText statusText;
    ProgressText detailText;

    std::uint64_t lineCount() const noexcept { return resultLines.size(); }
    bool IsRunning() const noexcept { return running.load(std::memory_order_acquire); }
};

// Allocates and constructs a job (with its taskbar object) without throwing;
// null when memory runs out. Call on the thread that runs the menu command.
CopyJob* CreateCopyJob() noexcept;

// Releases what the job holds: taskbar, font, text block, result lines, selection.
void DestroyCopyJob(CopyJob& job) noexcept;

// DestroyCopyJob, then frees the record.
void FreeCopyJob(CopyJob* job) noexcept;

} // namespace lumbrix
