#pragma once
// The command menu again as a popup at the mouse, after an option toggle, so
// that several options can be set in a row before a copy command is picked.

namespace lumbrix {

struct CopyJob;

// For a job whose mode is an option command (6 to 14). Shows the menu until
// the user picks a copy command (mode 1 to 5 on return) or dismisses it
// (mode 0). Each toggle there changes job.options and is saved at once.
void RunOptionsPopup(CopyJob& job) noexcept;

} // namespace lumbrix
