#include "output/checksum_file_output.h"

#include "common/filled_text.h"
#include "common/message_box.h"
#include "common/progress_report.h"
#include "common/system_error_text.h"
#include "common/text_table.h"
#include "job/checksum_line.h"
#include "job/result_list.h"
#include "output/checksum_file_writer.h"
#include "output/output_messages.h"
#include "output/text_assembly.h"

#include <new>

namespace lumbrix {
namespace {

constexpr std::uint64_t kLinesPerDetail = 256; // the window shows a line at most every refresh

enum class Written { Done, Cancelled, Failed };

Written WriteLines(ResultList& lines, ChecksumFileWriter& writer, ChecksumAlgorithm algorithm,
                   ProgressReport& report, UnlistedFiles& unlisted, const StepHook& afterLine)
{
    const std::uint64_t lineCount = lines.size();
    for (const ResultLine& line : lines) {
        if (!report.IsRunning()) return Written::Cancelled;
        const std::uint64_t position = line.index + 1;
        if (line.index % kLinesPerDetail == 0 || position == lineCount) ShowLine(report, position, lineCount, line);
        report.SetPosition(position);
        ChecksumDigest digest;
        const bool read = FindTaggedDigest(line.columns, algorithm, digest);
        const ChecksumFileWriter::AddResult added =
            read ? writer.Add(line.text, digest) : ChecksumFileWriter::AddResult::NotListable;
        if (added == ChecksumFileWriter::AddResult::Failed) return Written::Failed;
        if (added == ChecksumFileWriter::AddResult::NotListable && unlisted.count++ == 0)
            unlisted.first.assign(line.text);
        afterLine(report);
    }
    return Written::Done;
}

} // namespace

bool WriteChecksumFile(ResultList& lines, ChecksumFileWriter& writer, ChecksumAlgorithm algorithm,
                       ProgressReport& report, UnlistedFiles& unlisted, const StepHook& afterLine) noexcept
{
    unlisted = UnlistedFiles{};
    if (!report.IsRunning()) return false;
    report.StatusText().Set(Text(IDS_STEP_WRITING_CHECKSUM_FILE));
    report.DetailText().Clear();
    report.SetPosition(0);
    report.SetRange(lines.size());
    report.Redraw();
    Written written = Written::Failed;
    try {
        written = WriteLines(lines, writer, algorithm, report, unlisted, afterLine);
    } catch (const std::bad_alloc&) { // the lines' reader, or the first unlisted path
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    if (written == Written::Done && writer.Commit()) return true;
    const DWORD error = ::GetLastError();
    writer.Discard();
    if (written != Written::Cancelled) ShowChecksumFileError(report, writer.Target(), error);
    return false;
}

void ShowChecksumFileError(ProgressReport& report, const std::wstring& path, DWORD error) noexcept
try {
    report.FreezeTimer();
    const std::wstring text = FilledText(IDS_CHECKSUM_FILE_NOT_SAVED, L"%ls", path.c_str()) + SystemErrorText(error);
    ShowMessage(report.BoxOwner(), text.c_str(), MB_ICONERROR);
} catch (const std::bad_alloc&) {
    ShowOutputError(report, IDS_OUT_OF_MEMORY);
}

} // namespace lumbrix
