// Process entry and the main window procedure: registers the class, creates
// the window, paints its texts and line, and hands every event to the core.
#include <windows.h>

#include <memory>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/control_table.h"
#include "app/window_events.h"
#include "common/report.h"
#include "common/texts.h"
#include "payloads/catalogue.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_ui.h"
#include "usbmedia/usbmedia.h"
#ifdef KH_SCENARIO_SEAM
#include "platform/win32/scenario_system.h"
#endif

namespace {

std::unique_ptr<kh::SystemServices> g_system;
kh::win32::Win32Ui g_ui;
std::unique_ptr<kh::AppState> g_state;

void drawText(HDC dc, const char* text, int left, int top, int right, int bottom) {
    RECT area = {left, top, right, bottom};
    DrawTextA(dc, text, -1, &area, DT_INTERNAL);
}

void paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkMode(dc, TRANSPARENT);
    RECT client;
    GetClientRect(hwnd, &client);
    const int w = client.right;
    const int h = client.bottom;
    drawText(dc, kh::msg::kBannerText, 50, 25, w - 30, h - 150);
    drawText(dc, kh::msg::kIsoLabelText, 50, 189, w - 30, h - 20);
    EndPaint(hwnd, &ps);

    // The separator is drawn through a context of the whole client area so
    // that every paint draws it, whatever the update region.
    HDC whole = GetDC(hwnd);
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(192, 192, 192));
    HGDIOBJ previous = SelectObject(whole, pen);
    MoveToEx(whole, 0, h - 40, nullptr);
    LineTo(whole, w, h - 40);
    SelectObject(whole, previous);
    DeleteObject(pen);
    ReleaseDC(hwnd, whole);
}

// The window's own messages, handed to the core. False for the others.
bool dispatch(HWND hwnd, UINT message, WPARAM wParam) {
    kh::AppState& state = *g_state;
    switch (message) {
        case WM_CREATE:
            g_ui.attach(hwnd);
            kh::app::onCreate(state);
            return true;
        case WM_DESTROY:
            kh::app::onDestroy(state);
            return true;
        case WM_PAINT:
            paint(hwnd);
            return true;
        case WM_CLOSE:
            kh::app::onClose(state);
            return true;
        case kh::win32::kStartFormatMessage:
            kh::usb::onStartFormat(state.usb);
            return true;
        case WM_COMMAND:
            kh::app::onCommand(state, LOWORD(wParam));
            return true;
        case WM_TIMER:
            kh::usb::onTimer(state.usb, static_cast<int>(wParam));
            return true;
        case WM_DEVICECHANGE:
            kh::app::onDeviceChange(state, wParam);
            return true;
        default:
            return false;
    }
}

LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    bool handled = true;
    kh::app::runGuarded(*g_state, [&] { handled = dispatch(hwnd, message, wParam); });
    return handled ? 0 : DefWindowProcA(hwnd, message, wParam, lParam);
}

// Waits for the next message or the end of the watched process, whichever
// comes first; the end is handed to the core at once, so the steps after an
// extraction do not wait for the next tick.
void waitForMessageOrProcessEnd() {
    HANDLE watched = g_ui.watchedProcess();
    const DWORD result = MsgWaitForMultipleObjectsEx(watched ? 1 : 0, &watched, INFINITE,
                                                     QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (!watched || result != WAIT_OBJECT_0) return;
    g_ui.watchProcess(0);
    kh::app::runGuarded(*g_state, [] { kh::usb::onProcessEnded(g_state->usb); });
}

// The exit code of the WM_QUIT that ends the loop.
int runMessageLoop() {
    MSG message;
    for (;;) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        waitForMessageOrProcessEnd();
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // An empty card reader or floppy drive must never raise a system box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
#ifdef KH_SCENARIO_SEAM
    g_system = kh::win32::ScenarioSystem::fromEnvironment();
#else
    g_system = std::make_unique<kh::win32::Win32System>();
#endif
    g_state = std::make_unique<kh::AppState>(*g_system, g_ui);
    // Held until the process ends; a second copy finds it.
    HANDLE running = CreateMutexA(nullptr, FALSE, kh::app::kSingleInstanceMutex);
    if (running && GetLastError() == ERROR_ALREADY_EXISTS) {
        kh::show(g_state->shared, kh::msg::kAlreadyRunning);
        return 0;
    }

    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kh::payloads::kIconGroup));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kh::app::kWindowClass;
    if (!RegisterClassA(&windowClass)) return 0;

    HWND window =
        CreateWindowExA(0, kh::app::kWindowClass, kh::msg::kWindowTitle, WS_CAPTION | WS_SYSMENU,
                        kh::app::kWindowX, kh::app::kWindowY, kh::app::kWindowWidth,
                        kh::app::kWindowHeight, nullptr, nullptr, instance, nullptr);
    if (!window) return 0;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);

    const int exitCode = runMessageLoop();
    kh::app::runGuarded(*g_state, [] { kh::app::onProgramEnd(*g_state); });
    return exitCode;
}
