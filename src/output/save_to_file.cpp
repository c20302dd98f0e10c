// The fallback when the clipboard did not take the text: offer to save the
// lines to a UTF-16 file that the user picks.

#include "output/save_to_file.h"

#include "common/message_box.h"
#include "common/progress_report.h"
#include "common/text_table.h"
#include "common/unique_any.h"
#include "job/result_list.h"
#include "output/line_separator.h"
#include "output/output_messages.h"
#include "output/replacement_file.h"
#include "output/save_dialog.h"
#include "output/text_assembly.h"

#include <cstring>
#include <memory>
#include <new>

namespace lumbrix {
namespace {

constexpr std::uint64_t kLinesPerDetail = 256; // the window shows a line at most every refresh

// Collects the small per-line writes into large ones, in a buffer on the heap
// (the worker's stack is no place for 64 KiB).
class FileWriter {
public:
    static constexpr std::size_t kBufferBytes = 64 * 1024;

    explicit FileWriter(HANDLE file) noexcept : file_(file), buffer_(new (std::nothrow) unsigned char[kBufferBytes]) {}

    // False when the buffer could not be had; the thread's last error says so.
    bool Ready() const noexcept
    {
        if (!buffer_) ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return buffer_ != nullptr;
    }

    bool Write(const void* data, std::size_t bytes) noexcept
    {
        const auto* from = static_cast<const unsigned char*>(data);
        while (bytes > 0) {
            if (used_ == kBufferBytes && !Flush()) return false;
            const std::size_t part = bytes < kBufferBytes - used_ ? bytes : kBufferBytes - used_;
            std::memcpy(buffer_.get() + used_, from, part);
            used_ += part;
            from += part;
            bytes -= part;
        }
        return true;
    }

    bool Flush() noexcept
    {
        DWORD written = 0;
        if (used_ > 0 && !::WriteFile(file_, buffer_.get(), static_cast<DWORD>(used_), &written, nullptr))
            return false;
        // Fewer bytes than asked for means the disk is full.
        if (written != used_) {
            ::SetLastError(ERROR_DISK_FULL);
            return false;
        }
        used_ = 0;
        return true;
    }

private:
    HANDLE file_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t used_ = 0;
};

bool AskToSave(const ProgressReport& report) noexcept
{
    return ShowMessage(report.BoxOwner(), Text(IDS_SAVE_QUESTION), MB_ICONQUESTION | MB_YESNO) == IDYES;
}

// The dialog until a file could be prepared there, or the user gives up.
bool ChooseAndCreateFile(const ProgressReport& report, wchar_t* fileName, ReplacementFile& file) noexcept
{
    while (ShowSaveDialog(report.BoxOwner(), fileName)) {
        if (file.Create(fileName)) return true;
        ReportSystemError(::GetLastError());
    }
    return false;
}

enum class WriteOutcome { Done, Cancelled, Failed };

WriteOutcome WriteLines(ResultList& lines, ProgressReport& report, std::wstring_view separator,
                        const StepHook& afterLine, HANDLE file) noexcept
try {
    FileWriter writer(file);
    if (!writer.Ready()) return WriteOutcome::Failed;
    static constexpr unsigned char kByteOrderMark[] = {0xFF, 0xFE};
    if (!writer.Write(kByteOrderMark, sizeof(kByteOrderMark))) return WriteOutcome::Failed;
    const std::uint64_t lineCount = lines.size();
    report.SetPosition(1);
    for (const ResultLine& line : lines) {
        if (!report.IsRunning()) return WriteOutcome::Cancelled;
        const std::uint64_t position = line.index + 1;
        if (line.index % kLinesPerDetail == 0 || position == lineCount) ShowLine(report, position, lineCount, line);
        if (!writer.Write(line.text.data(), line.text.size() * sizeof(wchar_t)) ||
            !writer.Write(line.columns.data(), line.columns.size() * sizeof(wchar_t)))
            return WriteOutcome::Failed;
        if (position < lineCount) {
            if (!writer.Write(separator.data(), separator.size() * sizeof(wchar_t))) return WriteOutcome::Failed;
            report.SetPosition(position + 1);
        }
        afterLine(report);
    }
    return writer.Flush() ? WriteOutcome::Done : WriteOutcome::Failed;
} catch (const std::bad_alloc&) { // the lines' reader
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return WriteOutcome::Failed;
}

} // namespace

bool SaveToFile(ResultList& lines, ProgressReport& report, bool singleLine, const StepHook& afterLine) noexcept
{
    if (!report.IsRunning()) return false;
    if (!AskToSave(report)) return false;
    std::unique_ptr<wchar_t[]> fileName(new (std::nothrow) wchar_t[kSaveFileNameUnits]);
    if (!fileName) {
        ShowOutputError(report, IDS_OUT_OF_MEMORY);
        return false;
    }
    SetInitialSaveName(fileName.get());
    ReplacementFile file;
    if (!ChooseAndCreateFile(report, fileName.get(), file)) return false;
    try {
        lines.Arrange();
    } catch (const std::bad_alloc&) {
        ReportSystemError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }

    report.StatusText().Set(Text(IDS_STEP_WRITING_FILE));
    report.DetailText().Clear();
    report.SetRange(lines.size());
    report.Redraw();
    report.ResumeTimer();
    report.SetPosition(0);

    WriteOutcome outcome = WriteLines(lines, report, LineSeparator(singleLine), afterLine, file.handle());
    if (outcome == WriteOutcome::Done && !file.Commit()) outcome = WriteOutcome::Failed;
    if (outcome == WriteOutcome::Done) return true;
    if (outcome == WriteOutcome::Failed) {
        const DWORD error = ::GetLastError();
        report.FreezeTimer();
        ReportSystemError(error);
    }
    // A partial file is worth nothing to the user; an earlier file of that
    // name is left as it was.
    file.Discard();
    return false;
}

} // namespace lumbrix
