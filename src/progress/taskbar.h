#pragma once
// The progress on the window's taskbar button.

namespace lumbrix {

class ProgressWindow;

// Gives progress its taskbar object, made on the calling thread, the window's
// own, which alone calls it; without one the job simply shows no taskbar
// progress. Call where COM is initialised, and release the object
// (progress.taskbar.reset()) on the same thread before COM is left.
void AttachTaskbar(ProgressWindow& progress) noexcept;

} // namespace lumbrix
