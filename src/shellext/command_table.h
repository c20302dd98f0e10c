#pragma once
// The commands of the context menu: number, label, help text, verb and
// action. Command 0 is the entry that carries the submenu, 1 to 5 copy (the
// number is the CopyMode), 6 to 15 toggle the option flags in OutputOptions
// order, 16 writes a checksum file and 17 verifies files against digests, 18
// to 22 choose the path style, 23 to 25 the quotes, 26 toggles one line and 27
// copies names without their extension. The number is the offset the shell
// knows the command by, so a new command takes the next number and none is
// ever renumbered.

#include "settings/output_options.h"

namespace lumbrix {

inline constexpr int kCommandCount = 28;
inline constexpr int kFirstCopyCommand = 1;
inline constexpr int kLastCopyCommand = 5;
inline constexpr int kFirstOptionCommand = 6;
inline constexpr int kLastOptionCommand = 15;
inline constexpr int kCreateChecksumCommand = 16;
inline constexpr int kVerifyCommand = 17;
inline constexpr int kFirstPathStyleCommand = 18; // PathStyle 0 to 4
inline constexpr int kFirstQuoteStyleCommand = 23; // QuoteStyle 0 to 2
inline constexpr int kSingleLineCommand = 26;
inline constexpr int kNameWithoutExtensionCommand = 27;
static_assert(kLastOptionCommand - kFirstOptionCommand + 1 == SingleLine);
static_assert(kFirstQuoteStyleCommand - kFirstPathStyleCommand == kPathStyleCount);
static_assert(kSingleLineCommand - kFirstQuoteStyleCommand == kQuoteStyleCount);

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
    return (command >= kFirstCopyCommand && command <= kLastCopyCommand) || command == kNameWithoutExtensionCommand;
}
constexpr bool IsOptionCommand(int command) noexcept
{
    return (command >= kFirstOptionCommand && command <= kLastOptionCommand) ||
           (command >= kFirstPathStyleCommand && command <= kSingleLineCommand);
}
// The path and quote styles: one of a group is chosen, as radio items.
constexpr bool IsStyleCommand(int command) noexcept
{
    return command >= kFirstPathStyleCommand && command < kSingleLineCommand;
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
// What an option command changes: a flag it toggles, or the style it picks.
constexpr OptionChoice OptionOfCommand(int command) noexcept
{
    if (command == kSingleLineCommand) return SingleLine;
    if (command >= kFirstQuoteStyleCommand && command < kSingleLineCommand)
        return QuoteStyleFromStored(static_cast<std::uint32_t>(command - kFirstQuoteStyleCommand));
    if (command >= kFirstPathStyleCommand && command < kFirstQuoteStyleCommand)
        return PathStyleFromStored(static_cast<std::uint32_t>(command - kFirstPathStyleCommand));
    return static_cast<OptionFlag>(command - kFirstOptionCommand);
}

// The command whose verb (the Japanese help text) or English help text equals
// verb exactly (lstrcmpW), or -1.
int FindCommandByVerb(const wchar_t* verb) noexcept;

} // namespace lumbrix
