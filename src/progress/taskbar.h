#pragma once
// The progress on the window's taskbar button.

namespace lumbrix {

class ProgressWindow;

// Gives progress its taskbar object; without one the job simply shows no
// taskbar progress. Call on a thread where COM is initialised.
void AttachTaskbar(ProgressWindow& progress) noexcept;

} // namespace lumbrix
