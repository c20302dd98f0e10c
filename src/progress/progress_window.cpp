// Placeholder until the progress window is written.
#include "progress/progress_window.h"

namespace lumbrix {
void StartProgressWindow(CopyJob&) noexcept {}
void CloseProgressWindow(CopyJob&) noexcept {}
void SendProgressMessage(CopyJob&, UINT, WPARAM) noexcept {}
void PostProgressMessage(CopyJob&, UINT, WPARAM) noexcept {}
} // namespace lumbrix
