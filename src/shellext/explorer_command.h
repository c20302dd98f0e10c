#pragma once
// The Windows 11 menu's handler: the same commands as the classic menu, as a
// root IExplorerCommand whose sub-commands are objects of the same class.

#include "shellext/com_base_object.h"

#include <shobjidl.h>

namespace lumbrix {

class ExplorerCommand : public ComBaseObject, public IExplorerCommand {
public:
    // The root; the class factory makes these.
    ExplorerCommand() noexcept = default;
    // A command number of the command table (1 to 15), or kSeparator.
    explicit ExplorerCommand(int command) noexcept : command_(command) {}

    static constexpr int kSeparator = -1;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ComBaseObject::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return ComBaseObject::Release(); }

    // IExplorerCommand
    STDMETHODIMP GetTitle(IShellItemArray* psiItemArray, LPWSTR* ppszName) override;
    STDMETHODIMP GetIcon(IShellItemArray* psiItemArray, LPWSTR* ppszIcon) override;
    STDMETHODIMP GetToolTip(IShellItemArray* psiItemArray, LPWSTR* ppszInfotip) override;
    STDMETHODIMP GetCanonicalName(GUID* pguidCommandName) override;
    STDMETHODIMP GetState(IShellItemArray* psiItemArray, BOOL fOkToBeSlow, EXPCMDSTATE* pCmdState) override;
    STDMETHODIMP Invoke(IShellItemArray* psiItemArray, IBindCtx* pbc) override;
    STDMETHODIMP GetFlags(EXPCMDFLAGS* pFlags) override;
    STDMETHODIMP EnumSubCommands(IEnumExplorerCommand** ppEnum) override;

private:
    int command_ = 0;
};

} // namespace lumbrix
