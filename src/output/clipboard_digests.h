#pragma once
// The digests that a verification takes from the clipboard: one digest, or
// the lines of a checksum list.

#include "common/step_hooks.h"
#include "job/checksum_list_reader.h"

#include <string_view>

namespace lumbrix {

class ProgressReport;

// Reads the clipboard's text (at most ClipboardTextView::kMostUnits) into
// kind: the one digest into single, or the list's lines, relative to
// baseFolder, into store. False when the clipboard could not be opened (the
// user has been told) or the job was cancelled. Throws std::bad_alloc.
[[nodiscard]] bool ReadClipboardDigests(ProgressReport& report, std::wstring_view baseFolder, ChecksumStore& store,
                                        ChecksumDigest& single, ChecksumTextKind& kind,
                                        const StepHook& afterFailedTry = {});

} // namespace lumbrix
