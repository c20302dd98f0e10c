#include "shellext/explorer_command.h"

#include "common/com_boundary.h"
#include "common/module_identity.h"
#include "resources/resource_ids.h"
#include "settings/output_options.h"
#include "shellext/command_menu.h"
#include "shellext/command_table.h"
#include "shellext/copy_start.h"
#include "shellext/shell_item_selection.h"

#include <cwchar>
#include <new>

namespace lumbrix {
namespace {

// The sub-commands in menu order: the copy commands, a separator, the options.
constexpr int kSubCommandCount = kCommandCount;

// Items a state may read while the shell says it must not be slow.
constexpr DWORD kQuickStateItems = 256;

int SubCommandAt(int position) noexcept
{
    if (position < kLastCopyCommand) return position + 1;
    return position == kLastCopyCommand ? ExplorerCommand::kSeparator : position;
}

HRESULT DuplicateText(const wchar_t* text, std::size_t length, LPWSTR* out) noexcept
{
    auto* copy = static_cast<wchar_t*>(::CoTaskMemAlloc((length + 1) * sizeof(wchar_t)));
    if (!copy) return E_OUTOFMEMORY;
    std::wmemcpy(copy, text, length);
    copy[length] = L'\0';
    *out = copy;
    return S_OK;
}

// This menu shows no access keys: the label up to its "(&X)".
HRESULT DuplicateTitle(const wchar_t* label, LPWSTR* out) noexcept
{
    const wchar_t* key = std::wcsstr(label, L"(&");
    return DuplicateText(label, key ? static_cast<std::size_t>(key - label) : std::wcslen(label), out);
}

class SubCommandList : public ComBaseObject, public IEnumExplorerCommand {
public:
    explicit SubCommandList(int position = 0) noexcept : position_(position) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    try {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IEnumExplorerCommand)) return E_NOINTERFACE;
        *ppv = static_cast<IEnumExplorerCommand*>(this);
        AddRef();
        return S_OK;
    }
    LUMBRIX_COM_CATCH_RETURN()
    STDMETHODIMP_(ULONG) AddRef() override { return ComBaseObject::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return ComBaseObject::Release(); }

    STDMETHODIMP Next(ULONG celt, IExplorerCommand** pUICommand, ULONG* pceltFetched) override
    try {
        if (!pUICommand || (celt != 1 && !pceltFetched)) return E_INVALIDARG;
        ULONG fetched = 0;
        for (; fetched < celt && position_ < kSubCommandCount; ++fetched) {
            auto* command = new (std::nothrow) ExplorerCommand(SubCommandAt(position_));
            if (!command) {
                while (fetched > 0) pUICommand[--fetched]->Release();
                if (pceltFetched) *pceltFetched = 0;
                return E_OUTOFMEMORY;
            }
            command->AddRef();
            pUICommand[fetched] = command;
            ++position_;
        }
        if (pceltFetched) *pceltFetched = fetched;
        return fetched == celt ? S_OK : S_FALSE;
    }
    LUMBRIX_COM_CATCH_RETURN()
    STDMETHODIMP Skip(ULONG celt) override
    try {
        const ULONG left = static_cast<ULONG>(kSubCommandCount - position_);
        position_ += static_cast<int>(celt < left ? celt : left);
        return celt <= left ? S_OK : S_FALSE;
    }
    LUMBRIX_COM_CATCH_RETURN()
    STDMETHODIMP Reset() override
    try {
        position_ = 0;
        return S_OK;
    }
    LUMBRIX_COM_CATCH_RETURN()
    STDMETHODIMP Clone(IEnumExplorerCommand** ppenum) override
    try {
        if (!ppenum) return E_POINTER;
        *ppenum = nullptr;
        auto* copy = new (std::nothrow) SubCommandList(position_);
        if (!copy) return E_OUTOFMEMORY;
        copy->AddRef();
        *ppenum = copy;
        return S_OK;
    }
    LUMBRIX_COM_CATCH_RETURN()

private:
    int position_;
};

} // namespace

STDMETHODIMP ExplorerCommand::QueryInterface(REFIID riid, void** ppv)
try {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IExplorerCommand)) return E_NOINTERFACE;
    *ppv = static_cast<IExplorerCommand*>(this);
    AddRef();
    return S_OK;
}
LUMBRIX_COM_CATCH_RETURN()

STDMETHODIMP ExplorerCommand::GetTitle(IShellItemArray*, LPWSTR* ppszName)
try {
    if (!ppszName) return E_POINTER;
    *ppszName = nullptr;
    if (command_ == kSeparator) return E_NOTIMPL;
    return DuplicateTitle(CommandAt(command_).label, ppszName);
}
LUMBRIX_COM_CATCH_RETURN()

STDMETHODIMP ExplorerCommand::GetIcon(IShellItemArray*, LPWSTR* ppszIcon)
try {
    if (!ppszIcon) return E_POINTER;
    *ppszIcon = nullptr;
    if (command_ != 0) return E_NOTIMPL;
    // "module path,-id": a negative number names a resource id, not an index.
    wchar_t icon[1024];
    const DWORD length = ::GetModuleFileNameW(moduleInstance, icon, 1000);
    if (length == 0 || length >= 1000) return E_FAIL;
    const int suffix = std::swprintf(icon + length, 24, L",-%d", IDI_LUMBRIX_ICON);
    if (suffix < 0) return E_FAIL;
    return DuplicateText(icon, length + static_cast<std::size_t>(suffix), ppszIcon);
}
LUMBRIX_COM_CATCH_RETURN()

STDMETHODIMP ExplorerCommand::GetToolTip(IShellItemArray*, LPWSTR* ppszInfotip)
try {
    if (!ppszInfotip) return E_POINTER;
    *ppszInfotip = nullptr;
    if (command_ == kSeparator) return E_NOTIMPL;
    const wchar_t* text = CommandAt(command_).helpText;
    return DuplicateText(text, std::wcslen(text), ppszInfotip);
}
LUMBRIX_COM_CATCH_RETURN()

STDMETHODIMP ExplorerCommand::GetCanonicalName(GUID* pguidCommandName)
try {
    if (!pguidCommandName) return E_POINTER;
    *pguidCommandName = GUID_NULL;
    return E_NOTIMPL;
}
LUMBRIX_COM_CATCH_RETURN()

STDMETHODIMP ExplorerCommand::GetState(IShellItemArray* psiItemArray, BOOL fOkToBeSlow, EXPCMDSTATE* pCmdState)
try {
    if (!pCmdState) return E_POINTER;
    *pCmdState = ECS_ENABLED;
    if (IsCopyCommand(command_)) {
        // Each item read costs a shell item; a long selection waits for the
        // call that may take its time (E_PENDING asks the shell for it).
        SelectionMakeUp makeUp;
        const HRESULT hr = ReadSelectionMakeUp(psiItemArray, makeUp, fOkToBeSlow ? MAXDWORD : kQuickStateItems);
        if (FAILED(hr)) return hr;
        if (IsCopyCommandGrayed(command_, makeUp.isDriveRoot, makeUp.fileCount, makeUp.folderCount))
            *pCmdState = ECS_DISABLED;
    } else if (IsOptionCommand(command_)) {
        OutputOptions options;
        LoadOutputOptions(options);
        *pCmdState = ECS_CHECKBOX | (options[OptionOfCommand(command_)] ? ECS_CHECKED : 0);
    }
    return S_OK;
}
LUMBRIX_COM_CATCH_RETURN()

STDMETHODIMP ExplorerCommand::Invoke(IShellItemArray* psiItemArray, IBindCtx*)
try {
    if (IsOptionCommand(command_)) {
        // The menu closes on a click: the toggle is stored at once, no popup.
        OutputOptions options;
        LoadOutputOptions(options);
        const OptionFlag flag = OptionOfCommand(command_);
        options[flag] = !options[flag];
        SaveOutputOptions(options);
        return S_OK;
    }
    if (!IsCopyCommand(command_)) return S_OK;
    CopyRequest request;
    request.mode = command_;
    LoadOutputOptions(request.options);
    const HRESULT hr = ReadSelection(psiItemArray, request);
    if (FAILED(hr)) return hr;
    return StartCopy(request, ::GetForegroundWindow());
}
LUMBRIX_COM_CATCH_RETURN()

STDMETHODIMP ExplorerCommand::GetFlags(EXPCMDFLAGS* pFlags)
try {
    if (!pFlags) return E_POINTER;
    *pFlags = command_ == 0 ? ECF_HASSUBCOMMANDS : command_ == kSeparator ? ECF_ISSEPARATOR : ECF_DEFAULT;
    return S_OK;
}
LUMBRIX_COM_CATCH_RETURN()

STDMETHODIMP ExplorerCommand::EnumSubCommands(IEnumExplorerCommand** ppEnum)
try {
    if (!ppEnum) return E_POINTER;
    *ppEnum = nullptr;
    if (command_ != 0) return E_NOTIMPL;
    auto* list = new (std::nothrow) SubCommandList;
    if (!list) return E_OUTOFMEMORY;
    list->AddRef();
    *ppEnum = list;
    return S_OK;
}
LUMBRIX_COM_CATCH_RETURN()

} // namespace lumbrix
