// lumbrix-shell: plays Explorer's part for the Lumbrix64 context-menu handler.
// It takes the selection's data object from the system's shell, creates the
// registered handler with CoCreateInstance, lets it insert its menu entry,
// prints the entry and its submenu, invokes a command, waits until the copy's
// threads have ended and prints what the clipboard then holds.
// With --win11 it plays the Windows 11 menu instead: it loads the DLL that a
// package manifest names, as Windows loads a packaged in-process server (no
// registry), and drives the IExplorerCommand tree with an IShellItemArray.

#include "common/com_ptr.h"
#include "package_manifest.h"
#include "support/save_dialog_driver.h"
#include "support/shell_selection.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

namespace {

// {134343DC-2495-456B-AAD3-100028AF9510}
constexpr CLSID kHandlerClass = {0x134343dc, 0x2495, 0x456b, {0xaa, 0xd3, 0x10, 0x00, 0x28, 0xaf, 0x95, 0x10}};
constexpr UINT kFirstCommandId = 1;

constexpr const wchar_t* kOptionNames[] = {L"OutputDirectory", L"OutputShortFileName", L"OutputJunction",
                                           L"EscapePathSeparator", L"OutputURL", L"OutputSize",
                                           L"OutputCRC32", L"OutputMD5", L"OutputSHA1", L"OutputSHA256",
                                           L"SingleLine"};
// The options that hold a number: NAME=N in the list, 0 when not named.
constexpr const wchar_t* kNumberOptionNames[] = {L"PathStyle", L"QuoteStyle"};

struct Arguments {
    bool showMenu = false;
    int command = -1; // offset 1..27
    std::wstring options; // comma-separated names; "-" leaves the stored options alone
    bool haveOptions = false;
    bool printClipboard = false;
    bool timing = false;
    bool unloadEarly = false;
    std::size_t repeat = 1; // handlers that each run the command, back to back
    DWORD timeoutMs = 600000;
    std::wstring manifest; // --win11: the package manifest
    std::wstring externalLocation; // the folder the manifest's DLL path is relative to
    std::vector<std::wstring> saveAs; // names typed into the create command's Save dialog, in turn
    bool answerBoxes = false;         // answer the boxes and print them
    int answer = IDYES;               // to a Yes/No box
    std::vector<std::wstring> paths;
};


void Print(const std::wstring& text)
{
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                            nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr,
                          nullptr);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

std::wstring Hex(HRESULT hr)
{
    wchar_t text[16];
    ::wsprintfW(text, L"0x%08X", static_cast<unsigned>(hr));
    return text;
}

int Usage()
{
    Print(L"usage: lumbrix-shell [--menu] [--command N] [--options NAME,NAME|none] [--print-clipboard]\n"
          L"                     [--timing] [--timeout SECONDS] [--repeat N] [--unload-early]\n"
          L"                     [--save-as NAME]... [--answer yes|no] PATH...\n"
          L"  --menu             print the entry and the submenu that the handler inserts\n"
          L"  --command N        invoke command offset N (1-5 and 27 copy, 6-15 and 18-26 set an option,\n"
          L"                     16 create a checksum file, 17 verify)\n"
          L"  --options LIST     store exactly these options as on before the menu is built\n"
          L"                     (OutputDirectory OutputShortFileName OutputJunction EscapePathSeparator\n"
          L"                      OutputURL OutputSize OutputCRC32 OutputMD5 OutputSHA1 OutputSHA256\n"
          L"                      SingleLine, PathStyle=0-4, QuoteStyle=0-2; none = all off)\n"
          L"  --print-clipboard  print the clipboard text after the copy\n"
          L"  --timing           print how long InvokeCommand and the whole copy took\n"
          L"  --repeat N         open N context menus and run the command in each, back to back\n"
          L"  --unload-early     release the handlers and ask COM to unload unused DLLs while the copy runs\n"
          L"  --save-as NAME     type NAME into the create command's Save dialog (again for each\n"
          L"                     later dialog; an empty NAME cancels it)\n"
          L"  --answer yes|no    press this at a Yes/No box; every box is answered and printed\n"
          L"  --win11 MANIFEST --external-location FOLDER\n"
          L"                     the Windows 11 menu: load FOLDER\\<the manifest's DLL> without the registry;\n"
          L"                     --menu prints the command tree, --command N invokes command N\n");
    return 2;
}

bool ParseArguments(int argc, wchar_t** argv, Arguments& args)
{
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == L"--menu") {
            args.showMenu = true;
        } else if (arg == L"--command" && hasValue) {
            args.command = _wtoi(argv[++i]);
        } else if (arg == L"--options" && hasValue) {
            args.options = argv[++i];
            args.haveOptions = true;
        } else if (arg == L"--print-clipboard") {
            args.printClipboard = true;
        } else if (arg == L"--unload-early") {
            args.unloadEarly = true;
        } else if (arg == L"--repeat" && hasValue) {
            args.repeat = static_cast<std::size_t>(_wtoi(argv[++i]));
        } else if (arg == L"--timing") {
            args.timing = true;
        } else if (arg == L"--win11" && hasValue) {
            args.manifest = argv[++i];
        } else if (arg == L"--external-location" && hasValue) {
            args.externalLocation = argv[++i];
        } else if (arg == L"--save-as" && hasValue) {
            args.saveAs.emplace_back(argv[++i]);
            args.answerBoxes = true;
        } else if (arg == L"--answer" && hasValue) {
            const std::wstring answer = argv[++i];
            if (answer != L"yes" && answer != L"no") return false;
            args.answer = answer == L"yes" ? IDYES : IDNO;
            args.answerBoxes = true;
        } else if (arg == L"--timeout" && hasValue) {
            args.timeoutMs = static_cast<DWORD>(_wtoi(argv[++i])) * 1000;
        } else if (arg.rfind(L"--", 0) == 0) {
            return false;
        } else {
            wchar_t full[32768];
            const DWORD length = ::GetFullPathNameW(arg.c_str(), 32768, full, nullptr);
            args.paths.emplace_back(length > 0 && length < 32768 ? std::wstring(full, length) : arg);
        }
    }
    if (args.manifest.empty() != args.externalLocation.empty()) return false;
    return !args.paths.empty() && args.repeat >= 1 && (args.command == -1 || (args.command >= 0 && args.command <= 255));
}

bool StoreOptions(const std::wstring& list)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Orvane\\Lumbrix64", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &key, nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring padded = L"," + list + L",";
    bool known = true;
    for (const wchar_t* name : kOptionNames) {
        const DWORD on = padded.find(L"," + std::wstring(name) + L",") != std::wstring::npos ? 1 : 0;
        ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof(on));
    }
    for (const wchar_t* name : kNumberOptionNames) {
        const std::size_t at = padded.find(L"," + std::wstring(name) + L"=");
        const DWORD number = at == std::wstring::npos ? 0 : static_cast<DWORD>(_wtoi(padded.c_str() + at + 2 + wcslen(name)));
        ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
    }
    std::size_t start = 0;
    while (start < list.size()) {
        const std::size_t end = list.find(L',', start);
        const std::wstring name = list.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        bool found = name == L"none";
        for (const wchar_t* option : kOptionNames) found = found || name == option;
        for (const wchar_t* option : kNumberOptionNames) found = found || name.rfind(std::wstring(option) + L"=", 0) == 0;
        if (!found) {
            Print(L"unknown option: " + name + L"\n");
            known = false;
        }
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    ::RegCloseKey(key);
    return known;
}

std::wstring MenuItemLine(HMENU menu, int position, int depth)
{
    wchar_t text[256] = {};
    MENUITEMINFOW info = {sizeof(info)};
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU | MIIM_CHECKMARKS;
    info.dwTypeData = text;
    info.cch = 255;
    if (!::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) return L"";
    std::wstring line(static_cast<std::size_t>(depth) * 4, L' ');
    if (info.fType & MFT_SEPARATOR) return line + L"----------------\n";
    // A radio item's mark is a dot: (*).
    if (info.fType & MFT_RADIOCHECK)
        line += (info.fState & MFS_CHECKED) ? L"(*) " : L"( ) ";
    else
        line += (info.fState & MFS_CHECKED) ? L"[x] " : L"[ ] ";
    line += text;
    // A nested submenu has no offset of its own.
    if (info.hSubMenu && info.wID == 0)
        line += L"   (submenu)";
    else
        line += L"   (offset " + std::to_wstring(info.wID - kFirstCommandId) + L")";
    if (info.fState & MFS_GRAYED) line += L" gray";
    if (info.hbmpUnchecked) line += L" with bitmap";
    return line + L"\n";
}

void PrintMenu(HMENU menu, int depth)
{
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        Print(MenuItemLine(menu, i, depth));
        if (HMENU sub = ::GetSubMenu(menu, i)) PrintMenu(sub, depth + 1);
    }
}

// Where the handler's DLL lies once it is loaded: the threads that start in
// it are the copy's. Others (a dialog's helpers in the system's DLLs) may
// outlive the copy.
struct ModuleRange {
    ULONG_PTR begin = 0;
    ULONG_PTR end = 0;
} handlerModule;

void NoteHandlerModule(HMODULE module)
{
    MODULEINFO info = {};
    if (!module || !::GetModuleInformation(::GetCurrentProcess(), module, &info, sizeof(info))) return;
    handlerModule.begin = reinterpret_cast<ULONG_PTR>(info.lpBaseOfDll);
    handlerModule.end = handlerModule.begin + info.SizeOfImage;
}

bool StartsInHandler(DWORD threadId)
{
    using QueryThreadFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    static const auto query = reinterpret_cast<QueryThreadFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread")));
    constexpr int kThreadWin32StartAddress = 9;
    if (handlerModule.begin == 0 || !query) return true; // unknown: every thread counts
    const HANDLE thread = ::OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
    if (!thread) return false;
    ULONG_PTR start = 0;
    const bool known = query(thread, kThreadWin32StartAddress, &start, sizeof(start), nullptr) >= 0;
    ::CloseHandle(thread);
    // A thread just created has no start address yet: it may be the copy's.
    return !known || start == 0 || (start >= handlerModule.begin && start < handlerModule.end);
}

std::size_t ThreadCount()
{
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    THREADENTRY32 entry = {sizeof(entry)};
    std::size_t count = 0;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId() && StartsInHandler(entry.th32ThreadID)) ++count;
    ::CloseHandle(snapshot);
    return count;
}

// The copy runs on threads of its own; it is over when they have ended.
// Records when the clipboard content first changed, and the most threads
// above baseline seen at once.
bool WaitForThreadsBackTo(std::size_t baseline, DWORD timeoutMs, DWORD clipboardBefore, LARGE_INTEGER& clipboardAt,
                          bool unloadEarly, std::size_t& mostAtOnce)
{
    const DWORD start = ::GetTickCount();
    clipboardAt.QuadPart = 0;
    for (std::size_t now; (now = ThreadCount()) > baseline;) {
        if (now - baseline > mostAtOnce) mostAtOnce = now - baseline;
        if (clipboardAt.QuadPart == 0 && ::GetClipboardSequenceNumber() != clipboardBefore)
            ::QueryPerformanceCounter(&clipboardAt);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        if (::GetTickCount() - start > timeoutMs) return false;
        // A host that tries to drop unused DLLs while the copy runs.
        if (unloadEarly) ::CoFreeUnusedLibrariesEx(0, 0);
        ::Sleep(20);
    }
    return true;
}

void PrintClipboard()
{
    for (int attempt = 0; attempt < 100 && !::OpenClipboard(nullptr); ++attempt) ::Sleep(20);
    std::wstring text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* units = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = units;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    std::wstring unix;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')) unix += text[i];
    Print(unix + L"\n");
}

std::wstring IconName(HICON icon)
{
    const std::pair<LPCWSTR, const wchar_t*> known[] = {{IDI_INFORMATION, L"information"},
                                                         {IDI_WARNING, L"warning"},
                                                         {IDI_ERROR, L"error"},
                                                         {IDI_QUESTION, L"question"}};
    for (const auto& [id, name] : known)
        if (icon && icon == ::LoadIconW(nullptr, id)) return name;
    return icon ? L"other" : L"none";
}

// The boxes the command showed: "box: CAPTION (ICON icon, owner CLASS)", then
// the text, each line indented.
void PrintBoxes(const lumbrix::test::SaveDialogDriver& driver)
{
    for (const lumbrix::test::SeenDialog& box : driver.Boxes()) {
        std::wstring text = L"box: " + box.caption + L" (" + IconName(box.icon) + L" icon, owner " +
                            (box.ownerClass.empty() ? L"none" : box.ownerClass) + L")\n    ";
        for (std::size_t i = 0; i < box.text.size(); ++i) {
            if (box.text[i] == L'\r') continue;
            text += box.text[i];
            if (box.text[i] == L'\n') text += L"    ";
        }
        Print(text + L"\n");
    }
}

std::unique_ptr<lumbrix::test::SaveDialogDriver> AnswerBoxes(const Arguments& args)
{
    if (!args.answerBoxes) return nullptr;
    return std::make_unique<lumbrix::test::SaveDialogDriver>(args.saveAs, args.answer, std::function<void()>(),
                                                              std::vector<std::wstring>{
                                                                  lumbrix::test::kChecksumDialogTitles[0],
                                                                  lumbrix::test::kChecksumDialogTitles[1]});
}

// One handler per context menu, as Explorer makes them: created, initialised
// with the selection, and asked to insert its entry.
HRESULT OpenContextMenu(IDataObject* selection, bool showMenu, lumbrix::ComPtr<IContextMenu>& menu)
{
    lumbrix::ComPtr<IShellExtInit> init;
    HRESULT hr = ::CoCreateInstance(kHandlerClass, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit, init.put_void());
    if (FAILED(hr)) {
        Print(L"the handler is not registered (run regsvr32 Lumbrix64.dll first)\n");
        return hr;
    }
    hr = init->Initialize(nullptr, selection, nullptr);
    if (FAILED(hr)) {
        Print(L"Initialize failed (" + Hex(hr) + L")\n");
        return hr;
    }
    NoteHandlerModule(::GetModuleHandleW(L"Lumbrix64.dll"));
    hr = init->QueryInterface(IID_IContextMenu, menu.put_void());
    if (FAILED(hr)) return hr;
    HMENU contextMenu = ::CreatePopupMenu();
    hr = menu->QueryContextMenu(contextMenu, 0, kFirstCommandId, 0x7FFF, CMF_NORMAL);
    if (showMenu) {
        Print(L"QueryContextMenu returned " + Hex(hr) + L"\n");
        PrintMenu(contextMenu, 0);
    }
    ::DestroyMenu(contextMenu);
    return S_OK;
}

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();

std::wstring TakeTaskText(wchar_t* text)
{
    std::wstring taken = text ? text : L"";
    ::CoTaskMemFree(text);
    return taken;
}

// The help texts of the DLL's classic handler, indexed by command offset: a
// Windows 11 command is known by its tooltip, which is its help text.
std::vector<std::wstring> HelpTexts(GetClassObjectFn getClassObject)
{
    std::vector<std::wstring> texts;
    lumbrix::ComPtr<IClassFactory> factory;
    lumbrix::ComPtr<IContextMenu> menu;
    if (FAILED(getClassObject(kHandlerClass, IID_IClassFactory, factory.put_void())) ||
        FAILED(factory->CreateInstance(nullptr, IID_IContextMenu, menu.put_void())))
        return texts;
    wchar_t text[1024];
    while (SUCCEEDED(menu->GetCommandString(texts.size(), GCS_HELPTEXTW, nullptr, reinterpret_cast<CHAR*>(text),
                                            1024)))
        texts.emplace_back(text);
    return texts;
}

// The command offset whose help text is the command's tooltip; -1 for an
// entry that only holds others.
int CommandNumber(IExplorerCommand* command, IShellItemArray* items, const std::vector<std::wstring>& helpTexts)
{
    wchar_t* tip = nullptr;
    if (FAILED(command->GetToolTip(items, &tip))) return -1;
    const std::wstring text = TakeTaskText(tip);
    for (std::size_t number = 0; number < helpTexts.size(); ++number)
        if (helpTexts[number] == text) return static_cast<int>(number);
    return -1;
}

std::wstring Windows11MenuLine(IExplorerCommand* command, IShellItemArray* items, int number, int depth)
{
    const std::wstring indent(static_cast<std::size_t>(depth) * 4, L' ');
    EXPCMDFLAGS flags = 0;
    EXPCMDSTATE state = 0;
    command->GetFlags(&flags);
    if (flags & ECF_ISSEPARATOR) return indent + L"----------------\n";
    // As Explorer asks: quickly first, and again when the command needs time.
    const bool pending = command->GetState(items, FALSE, &state) == E_PENDING;
    if (pending) command->GetState(items, TRUE, &state);
    wchar_t* title = nullptr;
    command->GetTitle(items, &title);
    std::wstring line = indent;
    if (state & ECS_CHECKBOX) line += (state & ECS_CHECKED) ? L"[x] " : L"[ ] ";
    line += TakeTaskText(title);
    line += number < 0 ? std::wstring(L"   (entry)") : L"   (command " + std::to_wstring(number) + L")";
    line += L" flags " + Hex(flags) + L" state " + Hex(state);
    if (state & ECS_DISABLED) line += L" gray";
    if (pending) line += L" (pending)";
    return line + L"\n";
}

// Walks the sub-commands of parent, nested entries included, printing them
// when asked; commands[n] receives command n.
void CollectWindows11Commands(IExplorerCommand* parent, IShellItemArray* items,
                              const std::vector<std::wstring>& helpTexts, bool print, int depth,
                              std::vector<lumbrix::ComPtr<IExplorerCommand>>& commands)
{
    lumbrix::ComPtr<IEnumExplorerCommand> list;
    if (FAILED(parent->EnumSubCommands(list.put()))) return;
    lumbrix::ComPtr<IExplorerCommand> command;
    while (list->Next(1, command.put(), nullptr) == S_OK) {
        EXPCMDFLAGS flags = 0;
        command->GetFlags(&flags);
        const int number = flags & ECF_ISSEPARATOR ? -1 : CommandNumber(command.get(), items, helpTexts);
        if (print) Print(Windows11MenuLine(command.get(), items, number, depth));
        if (flags & ECF_HASSUBCOMMANDS)
            CollectWindows11Commands(command.get(), items, helpTexts, print, depth + 1, commands);
        if (number < 0) continue;
        if (commands.size() <= static_cast<std::size_t>(number)) commands.resize(static_cast<std::size_t>(number) + 1);
        commands[static_cast<std::size_t>(number)] = std::move(command);
    }
}

// The root and its sub-commands; commands[n] is command n.
int DriveWindows11Menu(const Arguments& args, const shell_player::PackagedServer& server, GetClassObjectFn getClassObject,
                       CanUnloadNowFn canUnloadNow)
{
    lumbrix::ComPtr<IClassFactory> factory;
    HRESULT hr = getClassObject(server.clsid, IID_IClassFactory, factory.put_void());
    lumbrix::ComPtr<IExplorerCommand> root;
    if (SUCCEEDED(hr)) hr = factory->CreateInstance(nullptr, IID_IExplorerCommand, root.put_void());
    factory.reset();
    if (FAILED(hr)) {
        Print(L"the DLL does not serve the manifest's class (" + Hex(hr) + L")\n");
        return 1;
    }
    lumbrix::ComPtr<IShellItemArray> items;
    hr = shell_player::SelectionItemArray(args.paths, items.put());
    if (FAILED(hr)) {
        Print(L"the shell could not make an item array of the selection (" + Hex(hr) + L")\n");
        return 1;
    }
    if (args.showMenu) {
        wchar_t* title = nullptr;
        wchar_t* icon = nullptr;
        EXPCMDFLAGS flags = 0;
        root->GetTitle(items.get(), &title);
        root->GetIcon(items.get(), &icon);
        root->GetFlags(&flags);
        Print(L"root: " + TakeTaskText(title) + L" flags " + Hex(flags) + L" icon " + TakeTaskText(icon) + L"\n");
    }
    std::vector<lumbrix::ComPtr<IExplorerCommand>> commands;
    CollectWindows11Commands(root.get(), items.get(), HelpTexts(getClassObject), args.showMenu, 1, commands);
    int status = 0;
    const auto driver = AnswerBoxes(args);
    const std::size_t baseline = ThreadCount();
    if (args.command > 0) {
        if (static_cast<std::size_t>(args.command) >= commands.size() || !commands[std::size_t(args.command)])
            return Usage();
        hr = commands[static_cast<std::size_t>(args.command)]->Invoke(items.get(), nullptr);
        if (FAILED(hr)) {
            Print(L"Invoke failed (" + Hex(hr) + L")\n");
            status = 1;
        }
    }
    Print(std::wstring(L"DllCanUnloadNow with the commands held: ") + (canUnloadNow() == S_OK ? L"S_OK\n" : L"S_FALSE\n"));
    // The menu closes and lets go of everything while the copy may still run.
    commands.clear();
    root.reset();
    items.reset();
    LARGE_INTEGER clipboardAt;
    std::size_t mostAtOnce = 0;
    if (!WaitForThreadsBackTo(baseline, args.timeoutMs, ::GetClipboardSequenceNumber(), clipboardAt, false,
                              mostAtOnce)) {
        Print(L"the copy did not end in time\n");
        status = 1;
    }
    if (driver) PrintBoxes(*driver);
    return status;
}

int RunWindows11(const Arguments& args)
{
    if (args.haveOptions && !StoreOptions(args.options)) return 2;
    shell_player::PackagedServer server;
    std::wstring error;
    if (!shell_player::ReadPackagedServer(args.manifest, server, error)) {
        Print(error + L"\n");
        return 1;
    }
    HMODULE module = ::LoadLibraryW((args.externalLocation + L"\\" + server.path).c_str());
    NoteHandlerModule(module);
    const auto getClassObject =
        module ? reinterpret_cast<GetClassObjectFn>(::GetProcAddress(module, "DllGetClassObject")) : nullptr;
    const auto canUnloadNow =
        module ? reinterpret_cast<CanUnloadNowFn>(::GetProcAddress(module, "DllCanUnloadNow")) : nullptr;
    if (!getClassObject || !canUnloadNow) {
        Print(L"cannot load " + server.path + L" from " + args.externalLocation + L"\n");
        return 1;
    }
    const int status = DriveWindows11Menu(args, server, getClassObject, canUnloadNow);
    Print(std::wstring(L"DllCanUnloadNow after release: ") + (canUnloadNow() == S_OK ? L"S_OK\n" : L"S_FALSE\n"));
    ::FreeLibrary(module);
    Print(::GetModuleHandleW(server.path.c_str()) ? L"the DLL is still loaded\n" : L"the DLL was unloaded\n");
    if (args.printClipboard && status == 0) PrintClipboard();
    return status;
}

int Run(const Arguments& args)
{
    if (!args.manifest.empty()) return RunWindows11(args);
    if (args.haveOptions && !StoreOptions(args.options)) return 2;

    lumbrix::ComPtr<IDataObject> selection;
    HRESULT hr = shell_player::SelectionDataObject(args.paths, selection.put());
    if (FAILED(hr)) {
        Print(L"the shell could not make a data object of the selection (" + Hex(hr) + L")\n");
        return 1;
    }
    std::vector<lumbrix::ComPtr<IContextMenu>> menus(args.command >= 0 ? args.repeat : 1);
    for (std::size_t i = 0; i < menus.size(); ++i)
        if (FAILED(OpenContextMenu(selection.get(), args.showMenu && i == 0, menus[i]))) return 1;
    if (args.command < 0) return 0;

    const auto driver = AnswerBoxes(args);
    const std::size_t baseline = ThreadCount();
    const DWORD clipboardBefore = ::GetClipboardSequenceNumber();
    LARGE_INTEGER frequency, begin, returned, ended, clipboardAt;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&begin);
    int status = 0;
    for (auto& menu : menus) {
        CMINVOKECOMMANDINFO invoke = {sizeof(invoke)};
        invoke.lpVerb = MAKEINTRESOURCEA(args.command);
        invoke.nShow = SW_SHOWNORMAL;
        hr = menu->InvokeCommand(&invoke);
        if (FAILED(hr)) {
            Print(L"InvokeCommand failed (" + Hex(hr) + L")\n");
            status = 1;
        }
        // Explorer lets go of the handler as soon as the command returns.
        menu.reset();
    }
    ::QueryPerformanceCounter(&returned);
    // Threads that the copies still run once the shell has its thread back.
    const std::size_t atReturn = ThreadCount();
    const std::size_t runningAtReturn = atReturn > baseline ? atReturn - baseline : 0;
    std::size_t mostAtOnce = runningAtReturn;
    if (args.unloadEarly) ::CoFreeUnusedLibrariesEx(0, 0);
    const bool finished = WaitForThreadsBackTo(baseline, args.timeoutMs, clipboardBefore, clipboardAt,
                                               args.unloadEarly, mostAtOnce);
    ::QueryPerformanceCounter(&ended);
    if (!finished) {
        Print(L"the copy did not end in time\n");
        status = 1;
    }
    if (driver) PrintBoxes(*driver);
    if (args.timing) {
        const auto ms = [&](const LARGE_INTEGER& t) {
            return std::to_wstring((t.QuadPart - begin.QuadPart) * 1000 / frequency.QuadPart);
        };
        PROCESS_MEMORY_COUNTERS memory = {sizeof(memory)};
        ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory));
        // What the process spent on processors: the copy's work, less
        // sensitive than the clock to what else the machine runs.
        FILETIME created, exited, kernel, user;
        ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
        const auto hundredNs = [](const FILETIME& t) { return (ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
        const ULONGLONG cpuMs = (hundredNs(kernel) + hundredNs(user)) / 10000;
        Print(L"InvokeCommand returned after " + ms(returned) + L" ms; the clipboard changed after " +
              (clipboardAt.QuadPart ? ms(clipboardAt) + L" ms" : std::wstring(L"(never)")) +
              L"; the copy's threads ended after " + ms(ended) + L" ms; peak working set " +
              std::to_wstring(memory.PeakWorkingSetSize / (1024 * 1024)) + L" MiB; processor time " +
              std::to_wstring(cpuMs) + L" ms\n");
        Print(L"the copies' threads: " + std::to_wstring(runningAtReturn) + L" running when InvokeCommand returned, " +
              std::to_wstring(mostAtOnce) + L" at most at once\n");
    }
    if (args.unloadEarly) {
        ::CoFreeUnusedLibrariesEx(0, 0);
        Print(::GetModuleHandleW(L"Lumbrix64.dll") ? L"the DLL is still loaded\n" : L"the DLL was unloaded\n");
    }
    if (args.printClipboard && status == 0) PrintClipboard();
    return status;
}

// Per-monitor DPI aware, as the file manager is; looked up at run time for
// systems before Windows 10 1703.
void DeclarePerMonitorDpiAwareness()
{
    using SetContextFunction = BOOL(WINAPI*)(HANDLE);
    const auto setContext = reinterpret_cast<SetContextFunction>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext"));
    const auto perMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
    if (setContext) setContext(perMonitorAwareV2);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    DeclarePerMonitorDpiAwareness();
    Arguments args;
    if (!ParseArguments(argc, argv, args)) return Usage();
    ::OleInitialize(nullptr);
    const int status = Run(args);
    ::CoFreeUnusedLibraries();
    ::OleUninitialize();
    return status;
}
