#pragma once
// The commands of the context menu: number, label, help text, verb and
// action. Command 0 is the entry that carries the submenu, 1 to 5 copy (the
// number is the CopyMode), 6 to 15 toggle the option flags in OutputOptions
// order, 16 writes a checksum file and 17 verifies files against digests.
// The number is the offset the shell knows the command by, so a new command
// takes the next number and none is ever renumbered.

#include "settings/output_options.h"

namespace lumbrix {

inline constexpr int kCommandCount = 18;
inline constexpr int kFirstCopyCommand = 1;
inline constexpr int kLastCopyCommand = 5;
inline constexpr int kFirstOptionCommand = 6;
inline constexpr int kLastOptionCommand = 15;
inline constexpr int kCreateChecksumCommand = 16;
inline constexpr int kVerifyCommand = 17;
static_assert(kLastOptionCommand - kFirstOptionCommand + 1 == OptionFlagCount);

// The label and help text are in the display language. The verb is the
// Japanese help text on every system, so that a script that names it works
// wherever it runs.
struct MenuCommand {
    const wchar_t* label;
    const wchar_t* helpText;
    const wchar_t* verb;
};

// command must be 0 to kCommandCount - 1.
MenuCommand CommandAt(int command) noexcept;

constexpr bool IsCopyCommand(int command) noexcept
{
    return command >= kFirstCopyCommand && command <= kLastCopyCommand;
}
constexpr bool IsOptionCommand(int command) noexcept
{
    return command >= kFirstOptionCommand && command <= kLastOptionCommand;
}
constexpr bool IsChecksumCommand(int command) noexcept
{
    return command == kCreateChecksumCommand || command == kVerifyCommand;
}
// The commands that hand a job to a worker thread.
constexpr bool StartsJob(int command) noexcept
{
    return IsCopyCommand(command) || IsChecksumCommand(command);
}
// The flag that an option command toggles.
constexpr OptionFlag OptionOfCommand(int command) noexcept
{
    return static_cast<OptionFlag>(command - kFirstOptionCommand);
}

// The command whose verb (the Japanese help text) or English help text equals
// verb exactly (lstrcmpW), or -1.
int FindCommandByVerb(const wchar_t* verb) noexcept;

} // namespace lumbrix
