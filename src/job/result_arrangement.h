#pragma once
// The phase that puts the result lines in order and drops duplicates, with
// its own status and progress.

namespace lumbrix {

class ProgressReport;
class ResultList;

// False when the copy was cancelled first (the list is then empty).
[[nodiscard]] bool ArrangeResults(ResultList& lines, ProgressReport& report);

} // namespace lumbrix
