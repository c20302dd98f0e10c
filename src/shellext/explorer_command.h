#pragma once
// The Windows 11 menu's handler: the same commands as the classic menu, as a
// root IExplorerCommand whose sub-commands are objects of the same class. The
// first level holds the copy and checksum commands; the options sit in one
// nested entry, so that the first level stays short.

#include "shellext/com_object.h"

#include <shobjidl.h>

namespace lumbrix {

class ExplorerCommand final : public ComObject<IExplorerCommand> {
public:
    // The root; the class factory makes these.
    ExplorerCommand() noexcept = default;
    // A command number of the command table (1 to kCommandCount - 1),
    // kSeparator or kOptionsEntry.
    explicit ExplorerCommand(int command) noexcept : command_(command) {}

    static constexpr int kSeparator = -1;
    static constexpr int kOptionsEntry = -2;  // the Options entry, which holds the options
    static constexpr int kPathFormEntry = -3; // the Path format entry within it: the path styles, the quotes, one line

    // IExplorerCommand
    STDMETHODIMP GetTitle(IShellItemArray* psiItemArray, LPWSTR* ppszName) noexcept override;
    STDMETHODIMP GetIcon(IShellItemArray* psiItemArray, LPWSTR* ppszIcon) noexcept override;
    STDMETHODIMP GetToolTip(IShellItemArray* psiItemArray, LPWSTR* ppszInfotip) noexcept override;
    STDMETHODIMP GetCanonicalName(GUID* pguidCommandName) noexcept override;
    STDMETHODIMP GetState(IShellItemArray* psiItemArray, BOOL fOkToBeSlow,
                          EXPCMDSTATE* pCmdState) noexcept override;
    STDMETHODIMP Invoke(IShellItemArray* psiItemArray, IBindCtx* pbc) override;
    STDMETHODIMP GetFlags(EXPCMDFLAGS* pFlags) noexcept override;
    STDMETHODIMP EnumSubCommands(IEnumExplorerCommand** ppEnum) noexcept override;

private:
    int command_ = 0;
};

} // namespace lumbrix
