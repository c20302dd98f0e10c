#pragma once
// The output phases' own error boxes: owned by the progress window, caption
// "Lumbrix64", error icon; they block the phase until dismissed.

#include <cstdint>

namespace lumbrix {

class ProgressReport;

void ShowOutputError(const ProgressReport& report, const wchar_t* text) noexcept;

// firstLine, then the lines that blame the data size and state it in bytes.
void ShowDataSizeError(const ProgressReport& report, const wchar_t* firstLine, std::uint64_t bytes) noexcept;

} // namespace lumbrix
