// Drives the program's windows for the Wine tests, and reads a module's resources as the program
// does. Usage: guihelper [--with C] COMMAND [ARGS]. The window is a visible top-level window of
// class "korvane", or with "--with C" a dialog holding control C (a message box: 65535:Static);
// every command first waits up to a minute for it. A control is "ID" or "ID:CLASS". Texts come
// last on a line as "gbk=" and the hex of their ANSI bytes; arguments are in the ANSI code page.
//   window              class, style, rectangle (as WxH+X+Y), client size, title
//   controls            per child control in creation order: id, class, position, text
//   control C           the line of control C
//   click C             posts BM_CLICK to C (fails when C is disabled or hidden)
//   settext C TEXT      sets C's text
//   gone                waits until the window there now (if any) has gone; a box that follows
//                       at once is another window and does not count
//   close               presses the window's close box (WM_SYSCOMMAND SC_CLOSE)
//   resources MODULE    every RC_DATA resource of MODULE into <id>.bin here, "<id> <language>"
// Exit code 0 on success, 1 on failure, timeout or wrong usage.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string className(HWND hwnd) {
    char name[256] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

// The answer of a window of the program, 0 when it does not answer in time.
DWORD_PTR send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return result;
}

std::string gbkText(HWND hwnd) {
    char text[1024] = {};
    const DWORD_PTR length = send(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    std::string result = "gbk=";
    for (DWORD_PTR i = 0; i < length; ++i) {
        for (int shift : {4, 0}) result += "0123456789abcdef"[(text[i] >> shift) & 15];
    }
    return result;
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

HWND findControl(HWND window, const char* name) {
    char* end = nullptr;
    const long id = std::strtol(name, &end, 10);
    for (HWND child : childrenOf(window)) {
        if (GetDlgCtrlID(child) != id) continue;
        if (*end != ':' || lstrcmpiA(className(child).c_str(), end + 1) == 0) return child;
    }
    return nullptr;
}

// The visible window "--with" selects, or null.
HWND findWindow(const char* with) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, with ? "#32770" : "korvane", nullptr))) {
        if (IsWindowVisible(window) && (!with || findControl(window, with))) break;
    }
    return window;
}

// Polls until such a window is there; false on timeout.
bool waitForWindow(const char* with, HWND& window, DWORD limitMs = 60000) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < limitMs; Sleep(50)) {
        if ((window = findWindow(with))) return true;
    }
    return false;
}

// True once the window found now, if any, is destroyed or hidden. Waiting for no such window at
// all would miss the moment between one box and the next when the program is quick.
bool waitUntilGone(const char* with, DWORD limitMs = 60000) {
    const HWND window = findWindow(with);
    for (const DWORD start = GetTickCount(); GetTickCount() - start < limitMs; Sleep(20)) {
        if (!window || !IsWindow(window) || !IsWindowVisible(window)) return true;
    }
    return false;
}

bool click(HWND control) {
    const bool usable = control && IsWindowEnabled(control) && IsWindowVisible(control);
    return usable && PostMessageA(control, BM_CLICK, 0, 0);
}

int printControl(HWND window, HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&rect), 2);
    std::printf("id=%d class=%s x=%ld y=%ld %s\n", GetDlgCtrlID(control),
                className(control).c_str(), rect.left, rect.top, gbkText(control).c_str());
    return 0;
}

int printWindow(HWND window) {
    RECT rect, client;
    GetWindowRect(window, &rect);
    GetClientRect(window, &client);
    std::printf("class=%s style=0x%08lx geometry=%ldx%ld+%ld+%ld client=%ldx%ld %s\n",
                className(window).c_str(),
                static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
                rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top, client.right,
                client.bottom, gbkText(window).c_str());
    return 0;
}

BOOL CALLBACK dumpResource(HMODULE module, LPCSTR type, LPCSTR name, WORD language, LONG_PTR) {
    const unsigned id = static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(name));
    HRSRC found = FindResourceA(module, name, type);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (bytes) {
        std::ofstream(std::to_string(id) + ".bin", std::ios::binary)
            .write(static_cast<const char*>(bytes), SizeofResource(module, found));
    }
    std::printf("%u %u\n", id, language);
    return TRUE;
}

BOOL CALLBACK dumpLanguages(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR) {
    if (IS_INTRESOURCE(name)) EnumResourceLanguagesA(module, type, name, dumpResource, 0);
    return TRUE;
}

int dumpResources(const char* modulePath) {
    // Loaded as data only, so the module may be of the other architecture.
    const HMODULE module = LoadLibraryExA(modulePath, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module && EnumResourceNamesA(module, "RC_DATA", dumpLanguages, 0) ? 0 : 1;
}

int run(const char* with, const std::string& command, int argc, char** argv) {
    HWND window = nullptr;
    if (command == "gone") return waitUntilGone(with) ? 0 : 1;
    if (!waitForWindow(with, window)) return 1;
    if (command == "window") return printWindow(window);
    if (command == "close") return PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
    if (command == "controls") {
        for (HWND child : childrenOf(window)) printControl(window, child);
        return 0;
    }
    const HWND control = argc > 0 ? findControl(window, argv[0]) : nullptr;
    if (!control) return 1;
    if (command == "control") return printControl(window, control);
    if (command == "click") return click(control) ? 0 : 1;
    const LPARAM text = argc == 2 ? reinterpret_cast<LPARAM>(argv[1]) : 0;
    return command == "settext" && text && send(control, WM_SETTEXT, 0, text) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // lines end in "\n" only
    const bool withGiven = argc > 2 && std::strcmp(argv[1], "--with") == 0;
    const int i = withGiven ? 3 : 1;
    if (i >= argc) return 1;
    if (std::strcmp(argv[i], "resources") == 0) {
        return argc - i == 2 ? dumpResources(argv[i + 1]) : 1;
    }
    return run(withGiven ? argv[2] : nullptr, argv[i], argc - i - 1, argv + i + 1);
}
