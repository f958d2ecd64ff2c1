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
// Measurements for scripts/bench, each printing "ms=" and milliseconds:
//   time C [BUTTON...]  clicks C, answers the message boxes that follow with the BUTTONs in turn
//                       and times from the last click to the next box (left up). Meanwhile it
//                       sends WM_NULL every 20 ms and adds "unanswered_ms=", the longest wait
//                       for an answer while none of the program's message boxes was up
//   time -s S C [BUTTON...]  the same, and adds "shown_ms=", the time from the moment control S
//                       first showed after the last click to the box (0: it never showed)
//   run COMMAND...      runs the command lines one after another as hidden console children
//                       with their output discarded, as long as they succeed (exit code 0 or 1)
//   launch EXE          starts EXE until its first visible top-level window answers a message,
//                       then closes it
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

double nowMs() {
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

const char* const kBoxControl = "65535:Static";

// Sends WM_NULL to the main window every 20 ms from a thread of its own, so that a hung window
// cannot hold up the stopwatch. A wait counts only up to the moment a message box of the program
// shows: a modal box answers from its own loop, and the time before it is the window's.
class UnansweredProbe {
  public:
    explicit UnansweredProbe(HWND window) : window_(window) {
        InitializeCriticalSection(&lock_);
        thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
    }
    ~UnansweredProbe() { DeleteCriticalSection(&lock_); }

    // Called by the polling thread with whether a message box is up now.
    void boxSeen(bool up) {
        EnterCriticalSection(&lock_);
        if (up && !boxUp_) boxSince_ = nowMs();
        boxUp_ = up;
        LeaveCriticalSection(&lock_);
    }

    double stop() {
        InterlockedExchange(&stop_, 1);
        // A wait in progress ends when the box that stopped the clock answers.
        WaitForSingleObject(thread_, 10000);
        CloseHandle(thread_);
        return longest_;
    }

  private:
    static DWORD WINAPI run(void* self) {
        static_cast<UnansweredProbe*>(self)->probe();
        return 0;
    }

    void probe() {
        while (!stop_) {
            EnterCriticalSection(&lock_);
            const bool boxUp = boxUp_;
            LeaveCriticalSection(&lock_);
            if (!boxUp) measureOne();
            Sleep(20);
        }
    }

    void measureOne() {
        const double sent = nowMs();
        DWORD_PTR result = 0;
        SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &result);
        double answered = nowMs();
        EnterCriticalSection(&lock_);
        if (boxSince_ > sent && boxSince_ < answered) answered = boxSince_;
        LeaveCriticalSection(&lock_);
        if (answered - sent > longest_) longest_ = answered - sent;
    }

    HWND window_;
    HANDLE thread_;
    CRITICAL_SECTION lock_;
    volatile LONG stop_ = 0;
    bool boxUp_ = false;
    double boxSince_ = 0;
    double longest_ = 0;
};

bool click(HWND control) {
    const bool usable = control && IsWindowEnabled(control) && IsWindowVisible(control);
    return usable && PostMessageA(control, BM_CLICK, 0, 0);
}

// A control of the window whose first showing is timed; `since` is 0 until it shows.
struct ShownMark {
    HWND control = nullptr;
    double since = 0;
    void look() {
        if (control && since == 0 && IsWindowVisible(control)) since = nowMs();
    }
};

// Polls every 5 ms, telling the probe and the mark, until a box shows (wanted) or the one up has
// gone; false on timeout. `box` is the box found.
bool waitForBox(UnansweredProbe& probe, ShownMark& mark, bool wanted, DWORD limitMs, HWND& box) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < limitMs; Sleep(5)) {
        mark.look();
        box = findWindow(kBoxControl);
        probe.boxSeen(box != nullptr);
        if ((box != nullptr) == wanted) return true;
    }
    return false;
}

int timeProcedure(HWND window, const char* shown, const char* control, int buttons, char** button) {
    UnansweredProbe probe(window);
    ShownMark mark;
    if (shown && !(mark.control = findControl(window, shown))) return 1;
    bool ok = click(findControl(window, control));
    double started = nowMs();
    HWND box = nullptr;
    for (int i = 0; ok && i < buttons; ++i) {
        ok = waitForBox(probe, mark, true, 600000, box) && click(findControl(box, button[i]));
        started = nowMs();
        mark.since = 0;
        ok = ok && waitForBox(probe, mark, false, 60000, box);
    }
    ok = ok && waitForBox(probe, mark, true, 600000, box);
    const double ended = nowMs();
    const double unanswered = probe.stop();
    if (!ok) return 1;
    std::printf("ms=%.0f unanswered_ms=%.0f", ended - started, unanswered);
    if (shown) std::printf(" shown_ms=%.0f", mark.since == 0 ? 0.0 : ended - mark.since);
    std::printf("\n");
    return 0;
}

// Starts a command line hidden; an invalid handle when it does not start.
HANDLE startHidden(const char* commandLine, HANDLE output) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
        return INVALID_HANDLE_VALUE;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

int runCommands(int count, char** commands) {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    const HANDLE discard = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       &inheritable, OPEN_EXISTING, 0, nullptr);
    const double started = nowMs();
    for (int i = 0; i < count; ++i) {
        const HANDLE child = startHidden(commands[i], discard);
        if (child == INVALID_HANDLE_VALUE) return 1;
        DWORD code = 2;
        WaitForSingleObject(child, INFINITE);
        GetExitCodeProcess(child, &code);
        CloseHandle(child);
        if (code > 1) return 1;  // 1 is 7-Zip's warning, after which the work is complete
    }
    std::printf("ms=%.0f\n", nowMs() - started);
    return 0;
}

struct ProcessWindow {
    DWORD processId;
    HWND window;
};

BOOL CALLBACK findProcessWindow(HWND hwnd, LPARAM param) {
    auto& wanted = *reinterpret_cast<ProcessWindow*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != wanted.processId || !IsWindowVisible(hwnd)) return TRUE;
    wanted.window = hwnd;
    return FALSE;
}

int launch(const char* exe) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = std::string("\"") + exe + "\"";
    const double started = nowMs();
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return 1;
    }
    ProcessWindow shown = {process.dwProcessId, nullptr};
    for (int polls = 0; !shown.window && polls < 12000; ++polls) {
        EnumWindows(findProcessWindow, reinterpret_cast<LPARAM>(&shown));
        if (!shown.window) Sleep(5);
    }
    // Shown is not yet usable: the window must also have reached its message loop.
    DWORD_PTR result = 0;
    const bool answered = shown.window && SendMessageTimeoutA(shown.window, WM_NULL, 0, 0,
                                                              SMTO_NORMAL, 60000, &result);
    const double elapsed = nowMs() - started;
    if (shown.window) PostMessageA(shown.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    if (!answered) return 1;
    std::printf("ms=%.0f\n", elapsed);
    return 0;
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
    if (command == "time" && argc > 2 && std::strcmp(argv[0], "-s") == 0) {
        return timeProcedure(window, argv[1], argv[2], argc - 3, argv + 3);
    }
    if (command == "time" && argc > 0) {
        return timeProcedure(window, nullptr, argv[0], argc - 1, argv + 1);
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
    if (std::strcmp(argv[i], "run") == 0) return runCommands(argc - i - 1, argv + i + 1);
    if (std::strcmp(argv[i], "launch") == 0) return argc - i == 2 ? launch(argv[i + 1]) : 1;
    return run(withGiven ? argv[2] : nullptr, argv[i], argc - i - 1, argv + i + 1);
}
