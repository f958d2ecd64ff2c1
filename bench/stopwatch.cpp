// The bench's stopwatch under Wine: times the program's procedures as a user drives them, its
// start-up, and the bare tools. Every command prints "ms=" and milliseconds; exit code 0 on
// success, 1 on failure, timeout or wrong usage. Controls are named by their ids, the main window
// is the visible window of class "korvane", a box is a visible dialog with a static of id 65535.
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
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kBoxTextId = 65535;

double nowMs() {
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

HWND mainWindow() {
    const HWND window = FindWindowA("korvane", nullptr);
    return window && IsWindowVisible(window) ? window : nullptr;
}

HWND messageBox() {
    HWND box = nullptr;
    while ((box = FindWindowExA(nullptr, box, "#32770", nullptr))) {
        if (IsWindowVisible(box) && GetDlgItem(box, kBoxTextId)) return box;
    }
    return nullptr;
}

bool click(HWND parent, const char* id) {
    const HWND control = parent ? GetDlgItem(parent, std::atoi(id)) : nullptr;
    const bool usable = control && IsWindowEnabled(control) && IsWindowVisible(control);
    return usable && PostMessageA(control, BM_CLICK, 0, 0);
}

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
        box = messageBox();
        probe.boxSeen(box != nullptr);
        if ((box != nullptr) == wanted) return true;
    }
    return false;
}

int timeProcedure(const char* shown, const char* control, int buttons, char** button) {
    const HWND window = mainWindow();
    if (!window) return 1;
    UnansweredProbe probe(window);
    ShownMark mark;
    if (shown && !(mark.control = GetDlgItem(window, std::atoi(shown)))) return 1;
    bool ok = click(window, control);
    double started = nowMs();
    HWND box = nullptr;
    for (int i = 0; ok && i < buttons; ++i) {
        ok = waitForBox(probe, mark, true, 600000, box) && click(box, button[i]);
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

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // lines end in "\n" only
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "run") return runCommands(argc - 2, argv + 2);
    if (command == "launch") return argc == 3 ? launch(argv[2]) : 1;
    if (command != "time") return 1;
    if (argc > 4 && std::strcmp(argv[2], "-s") == 0) {
        return timeProcedure(argv[3], argv[4], argc - 5, argv + 5);
    }
    return argc > 2 ? timeProcedure(nullptr, argv[2], argc - 3, argv + 3) : 1;
}
