#include "shellext/explorer_command.h"

#include "common/com_boundary.h"
#include "common/module_identity.h"
#include "common/text_table.h"
#include "resources/resource_ids.h"
#include "settings/output_options.h"
#include "shellext/command_menu.h"
#include "shellext/command_table.h"
#include "shellext/copy_start.h"
#include "shellext/shell_item_selection.h"

#include <cwchar>
#include <iterator>

namespace lumbrix {
namespace {

constexpr int kSeparator = ExplorerCommand::kSeparator;
constexpr int kOptionsEntry = ExplorerCommand::kOptionsEntry;
constexpr int kPathFormEntry = ExplorerCommand::kPathFormEntry;

// The root's sub-commands in menu order, those of the options entry, and
// those of the path forms' entry within it.
constexpr int kFirstLevel[] = {1, 2, 3, 4, 5, kNameWithoutExtensionCommand, kSeparator, kCreateChecksumCommand,
                               kVerifyCommand, kSeparator, kOptionsEntry};
constexpr int kOptionsLevel[] = {6, 7, 8, 9, 10, 11, 12, 13, 14, 15, kPathFormEntry};
constexpr int kPathFormLevel[] = {18, 19, 20, 21, 22, kSeparator, 23, 24, 25, kSeparator, kSingleLineCommand};

struct Level {
    const int* commands;
    int count;
};
constexpr Level kRootLevel{kFirstLevel, int(std::size(kFirstLevel))};
constexpr Level kOptionsEntryLevel{kOptionsLevel, int(std::size(kOptionsLevel))};
constexpr Level kPathFormEntryLevel{kPathFormLevel, int(std::size(kPathFormLevel))};

bool HoldsCommands(int command) noexcept
{
    return command == 0 || command == kOptionsEntry || command == kPathFormEntry;
}

// Items a state may read while the shell says it must not be slow.
constexpr DWORD kQuickStateItems = 256;

HRESULT DuplicateText(const wchar_t* text, std::size_t length, LPWSTR* out) noexcept
{
    auto* copy = static_cast<wchar_t*>(::CoTaskMemAlloc((length + 1) * sizeof(wchar_t)));
    if (!copy) return E_OUTOFMEMORY;
    std::wmemcpy(copy, text, length);
    copy[length] = L'\0';
    *out = copy;
    return S_OK;
}

// This menu shows no access keys: the label up to its "(&X)" where the key
// stands apart (the Japanese labels), else the label without its "&".
HRESULT DuplicateTitle(const wchar_t* label, LPWSTR* out) noexcept
{
    if (const wchar_t* key = std::wcsstr(label, L"(&"))
        return DuplicateText(label, static_cast<std::size_t>(key - label), out);
    wchar_t title[256];
    std::size_t length = 0;
    for (const wchar_t* at = label; *at != 0 && length < std::size(title); ++at) {
        if (*at == L'&' && *++at == 0) break; // "&&" stands for one "&"
        title[length++] = *at;
    }
    return DuplicateText(title, length, out);
}

class SubCommandList final : public ComObject<IEnumExplorerCommand> {
public:
    explicit SubCommandList(Level level, int position = 0) noexcept : level_(level), position_(position) {}

    STDMETHODIMP Next(ULONG celt, IExplorerCommand** pUICommand, ULONG* pceltFetched) noexcept override
    {
        if (!pUICommand || (celt != 1 && !pceltFetched)) return E_INVALIDARG;
        ULONG fetched = 0;
        for (; fetched < celt && position_ < level_.count; ++fetched) {
            ComPtr<ExplorerCommand> command = MakeComObject<ExplorerCommand>(level_.commands[position_]);
            if (!command) {
                // The commands handed out so far go back.
                while (fetched > 0) ComPtr<IExplorerCommand>().attach(pUICommand[--fetched]);
                if (pceltFetched) *pceltFetched = 0;
                return E_OUTOFMEMORY;
            }
            pUICommand[fetched] = command.detach();
            ++position_;
        }
        if (pceltFetched) *pceltFetched = fetched;
        return fetched == celt ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG celt) noexcept override
    {
        const ULONG left = static_cast<ULONG>(level_.count - position_);
        position_ += static_cast<int>(celt < left ? celt : left);
        return celt <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() noexcept override
    {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumExplorerCommand** ppenum) noexcept override
    {
        if (!ppenum) return E_POINTER;
        *ppenum = MakeComObject<SubCommandList>(level_, position_).detach();
        return *ppenum ? S_OK : E_OUTOFMEMORY;
    }

private:
    Level level_;
    int position_;
};

} // namespace

STDMETHODIMP ExplorerCommand::GetTitle(IShellItemArray*, LPWSTR* ppszName) noexcept
{
    if (!ppszName) return E_POINTER;
    *ppszName = nullptr;
    if (command_ == kSeparator) return E_NOTIMPL;
    if (command_ == kOptionsEntry) return DuplicateTitle(Text(IDS_OPTIONS_ENTRY), ppszName);
    if (command_ == kPathFormEntry) return DuplicateTitle(Text(IDS_PATH_FORM_ENTRY), ppszName);
    return DuplicateTitle(CommandAt(command_).label, ppszName);
}

STDMETHODIMP ExplorerCommand::GetIcon(IShellItemArray*, LPWSTR* ppszIcon) noexcept
{
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

STDMETHODIMP ExplorerCommand::GetToolTip(IShellItemArray*, LPWSTR* ppszInfotip) noexcept
{
    if (!ppszInfotip) return E_POINTER;
    *ppszInfotip = nullptr;
    if (command_ == kSeparator || command_ == kOptionsEntry || command_ == kPathFormEntry) return E_NOTIMPL;
    const wchar_t* text = CommandAt(command_).helpText;
    return DuplicateText(text, std::wcslen(text), ppszInfotip);
}

STDMETHODIMP ExplorerCommand::GetCanonicalName(GUID* pguidCommandName) noexcept
{
    if (!pguidCommandName) return E_POINTER;
    *pguidCommandName = GUID_NULL;
    return E_NOTIMPL;
}

STDMETHODIMP ExplorerCommand::GetState(IShellItemArray* psiItemArray, BOOL fOkToBeSlow,
                                       EXPCMDSTATE* pCmdState) noexcept
{
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
        // Asked once per option as the menu opens: a key that cannot be read
        // must not pop up a box for each. The menu shows the defaults then.
        OutputOptions options;
        static_cast<void>(ReadOutputOptions(options));
        // The styles too show a check mark: this menu has no radio mark.
        *pCmdState = ECS_CHECKBOX | (IsChosen(options, OptionOfCommand(command_)) ? ECS_CHECKED : 0);
    }
    return S_OK;
}

STDMETHODIMP ExplorerCommand::Invoke(IShellItemArray* psiItemArray, IBindCtx*)
try {
    if (IsOptionCommand(command_)) {
        // The menu closes on a click: the toggle is stored at once, no popup.
        OutputOptions options;
        LoadOutputOptions(options);
        ToggleOutputOption(options, OptionOfCommand(command_));
        return S_OK;
    }
    if (!StartsJob(command_)) return S_OK;
    CopyRequest request;
    request.mode = command_;
    LoadOutputOptions(request.options);
    const HRESULT hr = ReadSelection(psiItemArray, request);
    if (FAILED(hr)) return hr;
    return StartCopy(request, ::GetForegroundWindow());
}
LUMBRIX_CATCH_AS_E_OUTOFMEMORY()

STDMETHODIMP ExplorerCommand::GetFlags(EXPCMDFLAGS* pFlags) noexcept
{
    if (!pFlags) return E_POINTER;
    *pFlags = HoldsCommands(command_) ? ECF_HASSUBCOMMANDS : command_ == kSeparator ? ECF_ISSEPARATOR : ECF_DEFAULT;
    return S_OK;
}

STDMETHODIMP ExplorerCommand::EnumSubCommands(IEnumExplorerCommand** ppEnum) noexcept
{
    if (!ppEnum) return E_POINTER;
    *ppEnum = nullptr;
    if (!HoldsCommands(command_)) return E_NOTIMPL;
    const Level level = command_ == 0 ? kRootLevel : command_ == kOptionsEntry ? kOptionsEntryLevel : kPathFormEntryLevel;
    *ppEnum = MakeComObject<SubCommandList>(level).detach();
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
}

} // namespace lumbrix
