#pragma once
// The output phases' own error boxes: owned by the progress window, caption
// "Lumbrix64", error icon, texts in the display language; they block the
// phase until dismissed.

#include <windows.h>

#include <cstdint>

namespace lumbrix {

class ProgressReport;

// The text of textId (an IDS_ id).
void ShowOutputError(const ProgressReport& report, UINT textId) noexcept;

// The text of firstLineId, then the lines that blame the data size and state it in bytes.
void ShowDataSizeError(const ProgressReport& report, UINT firstLineId, std::uint64_t bytes) noexcept;

} // namespace lumbrix
