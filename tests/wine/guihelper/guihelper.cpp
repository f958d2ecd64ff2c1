// Drives the program's windows from outside for the Wine tests (and works on
// Windows too): finds a top-level window, reads its controls and presses
// them.
//
//   guihelper [--timeout MS] [--class NAME] [--title TEXT] [--with CONTROL]
//             [--visible any] COMMAND [ARGS]
//
// The window is a visible top-level window of class NAME (default "korvane")
// and, when given, title TEXT and a child CONTROL ("--with 65535:Static" tells
// a message box from another dialog; "--visible any" also accepts a hidden
// window, such as one still inside WM_CREATE); every command first waits up to MS
// milliseconds (default 10000) for it. A control is named "ID" or
// "ID:CLASS" (CLASS tells apart controls sharing an id, as in the open-file
// dialog).
//
//   window              class, title, styles, window rectangle, client size and
//                       the frame that AdjustWindowRectEx adds for the styles
//   controls            one line per child control
//   control C           the line of control C
//   box                 a message box's caption, text (Static 65535) and buttons
//   click C             posts BM_CLICK to C (fails when C is disabled or hidden)
//   command ID          posts WM_COMMAND(ID, BN_CLICKED) to the window
//   settext C TEXT      sets C's text
//   combo C             the items of combo box C and the selected index
//   close               posts WM_CLOSE
//   devicechange EVENT  sends WM_DEVICECHANGE, EVENT arrival or removal
//   gone                waits until no such window is left
//   absent              fails if such a window shows up within the timeout
//
// Texts are printed twice: "gbk=" the ANSI bytes as hex, exactly as the
// program holds them, and "text=" the same converted to UTF-8. Output lines
// end in "\n" only. Exit code 0 on success, 1 on failure or timeout, 2 on
// wrong usage.
#include <windows.h>
// dbt.h relies on the types of windows.h.
#include <dbt.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr UINT kSendTimeout = 5000;
constexpr DWORD kPollInterval = 50;

struct ControlName {
    int id = 0;
    std::wstring className;
};

struct Options {
    DWORD timeout = 10000;
    std::wstring className = L"korvane";
    std::wstring title;
    bool titleGiven = false;
    bool visibleOnly = true;
    bool controlGiven = false;
    ControlName control;
};

// Splits the command line as the C runtime does: blanks separate, quotes
// group, backslashes escape only a quote.
std::vector<std::wstring> commandLineArguments() {
    const wchar_t* p = GetCommandLineW();
    std::vector<std::wstring> args;
    for (;;) {
        while (*p == L' ' || *p == L'\t') ++p;
        if (!*p) break;
        std::wstring arg;
        bool quoted = false;
        while (*p && (quoted || (*p != L' ' && *p != L'\t'))) {
            size_t backslashes = 0;
            while (*p == L'\\') {
                ++backslashes;
                ++p;
            }
            if (*p == L'"') {
                arg.append(backslashes / 2, L'\\');
                if (backslashes % 2) {
                    arg += L'"';
                } else if (quoted && p[1] == L'"') {
                    arg += L'"';
                    ++p;
                } else {
                    quoted = !quoted;
                }
                ++p;
            } else {
                arg.append(backslashes, L'\\');
                if (*p && (quoted || (*p != L' ' && *p != L'\t'))) arg += *p++;
            }
        }
        args.push_back(arg);
    }
    return args;
}

std::string utf8(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string result(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), result.data(), size,
                        nullptr, nullptr);
    return result;
}

std::wstring fromAnsi(const std::string& bytes) {
    if (bytes.empty()) return {};
    const int size =
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring result(size, L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), result.data(),
                        size);
    return result;
}

std::string toAnsi(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string result(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), result.data(), size,
                        nullptr, nullptr);
    return result;
}

std::string hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string result;
    for (unsigned char c : bytes) {
        result += kDigits[c >> 4];
        result += kDigits[c & 15];
    }
    return result;
}

// "gbk=<hex> text=<utf-8>", last on a line because the text may hold blanks.
std::string describeText(const std::string& ansi) {
    return "gbk=" + hex(ansi) + " text=" + utf8(fromAnsi(ansi));
}

std::wstring classOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

bool sameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
           CSTR_EQUAL;
}

// The window text as the program's ANSI calls see it.
std::string ansiText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeout,
                             &length)) {
        return {};
    }
    std::vector<char> buffer(length * 2 + 2, '\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutA(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                        SMTO_ABORTIFHUNG, kSendTimeout, &got);
    return std::string(buffer.data(), got);
}

std::wstring wideText(HWND hwnd) { return fromAnsi(ansiText(hwnd)); }

HWND findControl(HWND window, const ControlName& name);

struct WindowSearch {
    const Options* options;
    HWND found;
};

BOOL CALLBACK matchTopLevel(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    if ((search->options->visibleOnly && !IsWindowVisible(hwnd)) ||
        !sameName(classOf(hwnd), search->options->className)) {
        return TRUE;
    }
    if (search->options->titleGiven && wideText(hwnd) != search->options->title) return TRUE;
    if (search->options->controlGiven && !findControl(hwnd, search->options->control)) return TRUE;
    search->found = hwnd;
    return FALSE;
}

HWND findWindowNow(const Options& options) {
    WindowSearch search{&options, nullptr};
    EnumWindows(matchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForWindow(const Options& options) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND hwnd = findWindowNow(options)) return hwnd;
        if (GetTickCount() - start >= options.timeout) return nullptr;
        Sleep(kPollInterval);
    }
}

BOOL CALLBACK collectChild(HWND hwnd, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> childrenOf(HWND window) {
    std::vector<HWND> children;
    EnumChildWindows(window, collectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

bool parseControlName(const std::wstring& text, ControlName& name) {
    wchar_t* end = nullptr;
    const long id = std::wcstol(text.c_str(), &end, 10);
    if (end == text.c_str() || (*end && *end != L':')) return false;
    name.id = static_cast<int>(id);
    name.className = *end ? std::wstring(end + 1) : std::wstring();
    return true;
}

HWND findControl(HWND window, const ControlName& name) {
    for (HWND child : childrenOf(window)) {
        if (GetDlgCtrlID(child) != name.id) continue;
        if (name.className.empty() || sameName(classOf(child), name.className)) return child;
    }
    return nullptr;
}

void printControl(HWND window, HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&rect), 2);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    DWORD_PTR checked = 0;
    SendMessageTimeoutA(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeout, &checked);
    std::printf(
        "id=%d class=%s x=%ld y=%ld w=%ld h=%ld enabled=%d visible=%d checked=%d "
        "style=0x%08lx %s\n",
        GetDlgCtrlID(control), utf8(classOf(control)).c_str(), rect.left, rect.top,
        rect.right - rect.left, rect.bottom - rect.top, IsWindowEnabled(control) ? 1 : 0,
        IsWindowVisible(control) ? 1 : 0, checked == BST_CHECKED ? 1 : 0,
        static_cast<unsigned long>(style), describeText(ansiText(control)).c_str());
}

int showWindow(HWND window) {
    RECT rect, client;
    GetWindowRect(window, &rect);
    GetClientRect(window, &client);
    const DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    std::printf(
        "class=%s style=0x%08lx exstyle=0x%08lx x=%ld y=%ld w=%ld h=%ld client=%ldx%ld "
        "frame=%ldx%ld %s\n",
        utf8(classOf(window)).c_str(), static_cast<unsigned long>(style),
        static_cast<unsigned long>(exStyle), rect.left, rect.top, rect.right - rect.left,
        rect.bottom - rect.top, client.right, client.bottom, frame.right - frame.left,
        frame.bottom - frame.top, describeText(ansiText(window)).c_str());
    return 0;
}

int listControls(HWND window) {
    for (HWND child : childrenOf(window)) printControl(window, child);
    return 0;
}

int showBox(HWND box) {
    std::printf("caption %s\n", describeText(ansiText(box)).c_str());
    const HWND text = findControl(box, {0xFFFF, L"Static"});
    std::printf("message %s\n", describeText(text ? ansiText(text) : std::string()).c_str());
    std::string buttons;
    for (HWND child : childrenOf(box)) {
        if (!sameName(classOf(child), L"Button")) continue;
        if (!buttons.empty()) buttons += ',';
        buttons += std::to_string(GetDlgCtrlID(child));
    }
    std::printf("buttons=%s\n", buttons.c_str());
    return 0;
}

int click(HWND control) {
    if (!IsWindowEnabled(control) || !IsWindowVisible(control)) {
        std::fprintf(stderr, "control %d is disabled or hidden\n", GetDlgCtrlID(control));
        return 1;
    }
    return PostMessageA(control, BM_CLICK, 0, 0) ? 0 : 1;
}

int postCommand(HWND window, int id) {
    const HWND control = GetDlgItem(window, id);
    return PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(control))
               ? 0
               : 1;
}

int setText(HWND control, const std::wstring& text) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                               SMTO_ABORTIFHUNG, kSendTimeout, &result) &&
                   result
               ? 0
               : 1;
}

int listComboItems(HWND combo) {
    DWORD_PTR count = 0, selected = 0;
    SendMessageTimeoutA(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeout, &count);
    SendMessageTimeoutA(combo, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeout, &selected);
    std::printf("count=%d selected=%d\n", static_cast<int>(count), static_cast<int>(selected));
    for (int i = 0; i < static_cast<int>(count); ++i) {
        DWORD_PTR length = 0;
        SendMessageTimeoutA(combo, CB_GETLBTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kSendTimeout, &length);
        // Wine returns the wide text into the buffer of a cross-process
        // CB_GETLBTEXT sent in the ANSI form, so the item is read wide and
        // converted back the way the program's ANSI call converted it.
        std::vector<wchar_t> buffer(length + 1, L'\0');
        DWORD_PTR got = 0;
        SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer.data()),
                            SMTO_ABORTIFHUNG, kSendTimeout, &got);
        std::printf("item %s\n", describeText(toAnsi(std::wstring(buffer.data(), got))).c_str());
    }
    return 0;
}

int sendDeviceChange(HWND window, const std::wstring& event) {
    WPARAM code;
    if (event == L"arrival") {
        code = DBT_DEVICEARRIVAL;
    } else if (event == L"removal") {
        code = DBT_DEVICEREMOVECOMPLETE;
    } else {
        return 2;
    }
    // The arrival and removal events carry a header that is marshalled with
    // the message, so it is sent, never posted.
    DEV_BROADCAST_VOLUME volume = {};
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_DEVICECHANGE, code, reinterpret_cast<LPARAM>(&volume),
                               SMTO_ABORTIFHUNG, kSendTimeout, &result)
               ? 0
               : 1;
}

int waitUntilGone(const Options& options) {
    const DWORD start = GetTickCount();
    while (findWindowNow(options)) {
        if (GetTickCount() - start >= options.timeout) return 1;
        Sleep(kPollInterval);
    }
    return 0;
}

int failIfAppears(const Options& options) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND hwnd = findWindowNow(options)) {
            std::fprintf(stderr, "unexpected window appeared\n");
            showBox(hwnd);
            return 1;
        }
        if (GetTickCount() - start >= options.timeout) return 0;
        Sleep(kPollInterval);
    }
}

int usage() {
    std::fprintf(stderr,
                 "usage: guihelper [--timeout MS] [--class NAME] [--title TEXT] [--with CONTROL]\n"
                 "                 [--visible any] COMMAND [ARGS]\n"
                 "commands: window controls control box click command settext combo close\n"
                 "          devicechange gone absent\n");
    return 2;
}

int runOnControl(const std::wstring& command, HWND window, const std::vector<std::wstring>& args) {
    ControlName name;
    if (args.empty() || !parseControlName(args[0], name)) return usage();
    const HWND control = findControl(window, name);
    if (!control) {
        std::fprintf(stderr, "no control %s\n", utf8(args[0]).c_str());
        return 1;
    }
    if (command == L"control") {
        printControl(window, control);
        return 0;
    }
    if (command == L"click") return click(control);
    if (command == L"combo") return listComboItems(control);
    if (command == L"settext" && args.size() == 2) return setText(control, args[1]);
    return usage();
}

int run(const Options& options, const std::wstring& command,
        const std::vector<std::wstring>& args) {
    if (command == L"gone") return waitUntilGone(options);
    if (command == L"absent") return failIfAppears(options);

    const HWND window = waitForWindow(options);
    if (!window) {
        std::fprintf(stderr, "no window of class %s within %lu ms\n",
                     utf8(options.className).c_str(), static_cast<unsigned long>(options.timeout));
        return 1;
    }
    if (command == L"window") return showWindow(window);
    if (command == L"controls") return listControls(window);
    if (command == L"box") return showBox(window);
    if (command == L"close") return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
    if (command == L"devicechange" && args.size() == 1) return sendDeviceChange(window, args[0]);
    if (command == L"command" && args.size() == 1) {
        return postCommand(window, static_cast<int>(std::wcstol(args[0].c_str(), nullptr, 10)));
    }
    return runOnControl(command, window, args);
}

}  // namespace

int main() {
    _setmode(_fileno(stdout), _O_BINARY);
    const std::vector<std::wstring> args = commandLineArguments();
    Options options;
    size_t i = 1;
    for (; i + 1 < args.size() && args[i].rfind(L"--", 0) == 0; i += 2) {
        if (args[i] == L"--timeout") {
            options.timeout = static_cast<DWORD>(std::wcstoul(args[i + 1].c_str(), nullptr, 10));
        } else if (args[i] == L"--class") {
            options.className = args[i + 1];
        } else if (args[i] == L"--visible" && args[i + 1] == L"any") {
            options.visibleOnly = false;
        } else if (args[i] == L"--with") {
            if (!parseControlName(args[i + 1], options.control)) return usage();
            options.controlGiven = true;
        } else if (args[i] == L"--title") {
            options.title = args[i + 1];
            options.titleGiven = true;
        } else {
            return usage();
        }
    }
    if (i >= args.size()) return usage();
    const std::wstring command = args[i];
    const std::vector<std::wstring> rest(args.begin() + static_cast<long>(i) + 1, args.end());
    const int result = run(options, command, rest);
    std::fflush(stdout);
    return result;
}
