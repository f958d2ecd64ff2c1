#include "platform/win32/win32_ui.h"

#include <commdlg.h>
#include <dbt.h>

#include <string>
#include <vector>

#include "platform/winconst.h"

namespace kh::win32 {

// The core speaks in Windows' own values, which this edge passes through.
static_assert(win::kMbOk == MB_OK && win::kMbOkCancel == MB_OKCANCEL && win::kMbYesNo == MB_YESNO);
static_assert(win::kMbIconError == MB_ICONERROR && win::kMbIconQuestion == MB_ICONQUESTION &&
              win::kMbIconWarning == MB_ICONWARNING &&
              win::kMbIconInformation == MB_ICONINFORMATION);
static_assert(win::kIdOk == IDOK && win::kIdCancel == IDCANCEL && win::kIdYes == IDYES &&
              win::kIdNo == IDNO);
static_assert(win::kAttrReadOnly == FILE_ATTRIBUTE_READONLY &&
              win::kAttrHidden == FILE_ATTRIBUTE_HIDDEN &&
              win::kAttrSystem == FILE_ATTRIBUTE_SYSTEM &&
              win::kAttrDirectory == FILE_ATTRIBUTE_DIRECTORY &&
              win::kAttrNormal == FILE_ATTRIBUTE_NORMAL);
static_assert(win::kStillActive == STILL_ACTIVE);
static_assert(win::kWsChild == WS_CHILD && win::kWsVisible == WS_VISIBLE &&
              win::kWsClipChildren == WS_CLIPCHILDREN && win::kWsBorder == WS_BORDER &&
              win::kWsGroup == WS_GROUP);
static_assert(win::kBsPushButton == BS_PUSHBUTTON && win::kBsGroupBox == BS_GROUPBOX &&
              win::kBsAutoRadioButton == BS_AUTORADIOBUTTON);
static_assert(win::kEsAutoHScroll == ES_AUTOHSCROLL && win::kEsAutoVScroll == ES_AUTOVSCROLL &&
              win::kCbsDropDownList == CBS_DROPDOWNLIST);
static_assert(win::kDbtDeviceArrival == DBT_DEVICEARRIVAL &&
              win::kDbtDeviceRemoveComplete == DBT_DEVICEREMOVECOMPLETE);

HWND Win32Ui::control(ControlId id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

void Win32Ui::createControl(const ControlSpec& spec) {
    RECT client;
    GetClientRect(main_, &client);
    const HWND hwnd = CreateWindowExA(
        0, spec.className, spec.caption, spec.style, spec.x.resolve(client.right),
        spec.y.resolve(client.bottom), spec.width, spec.height, main_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), GetModuleHandleA(nullptr), nullptr);
    controls_[spec.id] = hwnd;
}

void Win32Ui::enable(ControlId id, bool enabled) { EnableWindow(control(id), enabled); }

void Win32Ui::show(ControlId id, bool visible) {
    ShowWindow(control(id), visible ? SW_SHOW : SW_HIDE);
}

void Win32Ui::setText(ControlId id, const std::string& text) {
    SetWindowTextA(control(id), text.c_str());
}

std::string Win32Ui::text(ControlId id) {
    const HWND hwnd = control(id);
    const int length = GetWindowTextLengthA(hwnd);
    if (length <= 0) return {};
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    const int got = GetWindowTextA(hwnd, buffer.data(), length + 1);
    return std::string(buffer.data(), got > 0 ? got : 0);
}

void Win32Ui::setChecked(ControlId id, bool checked) {
    SendMessageA(control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32Ui::clearDriveList() {
    SendMessageA(control(ControlId::kDriveList), CB_RESETCONTENT, 0, 0);
}

void Win32Ui::addDrive(const std::string& text) {
    SendMessageA(control(ControlId::kDriveList), CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(text.c_str()));
}

void Win32Ui::selectDrive(int index) {
    SendMessageA(control(ControlId::kDriveList), CB_SETCURSEL, index, 0);
}

int Win32Ui::messageBox(BoxOwner owner, const std::string& text, const std::string& caption,
                        unsigned flags) {
    return MessageBoxA(owner == BoxOwner::kMainWindow ? main_ : nullptr, text.c_str(),
                       caption.c_str(), flags);
}

namespace {

using OpenFileDialog = BOOL(WINAPI*)(LPOPENFILENAMEA);

// comdlg32 pulls in the shell's libraries; loaded at the first Browse, it
// costs the start of the program nothing. It is named by its full path in the
// system folder: a comdlg32.dll planted next to the program must not load.
OpenFileDialog openFileDialog() {
    static const OpenFileDialog function = [] {
        char folder[MAX_PATH];
        const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return OpenFileDialog{};
        const HMODULE library = LoadLibraryA((std::string(folder) + "\\comdlg32.dll").c_str());
        return library ? reinterpret_cast<OpenFileDialog>(
                             reinterpret_cast<void*>(GetProcAddress(library, "GetOpenFileNameA")))
                       : nullptr;
    }();
    return function;
}

}  // namespace

std::optional<std::string> Win32Ui::openIsoDialog() {
    static const char kFilter[] = "ISO\0*.iso\0All\0*.*\0";
    std::vector<char> file(MAX_PATH, '\0');
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;  // the classic 76-byte form
    dialog.hwndOwner = main_;
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    const OpenFileDialog open = openFileDialog();
    if (!open || !open(&dialog)) return std::nullopt;
    return std::string(file.data());
}

void Win32Ui::invalidate() { InvalidateRect(main_, nullptr, FALSE); }

void Win32Ui::setTimer(int id, unsigned milliseconds) {
    SetTimer(main_, id, milliseconds, nullptr);
}

void Win32Ui::killTimer(int id) { KillTimer(main_, id); }

void Win32Ui::postStartFormat() { PostMessageA(main_, kStartFormatMessage, 0, 0); }

void Win32Ui::postQuit() { PostQuitMessage(0); }

UserInterface::Wait Win32Ui::waitForProcessOrMessages(ProcessHandle process,
                                                      uint32_t milliseconds) {
    const HANDLE child = reinterpret_cast<HANDLE>(process);
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds) return Wait::kTimedOut;
        // MWMO_INPUTAVAILABLE: messages already seen but not yet removed
        // also end the wait.
        const DWORD woken = MsgWaitForMultipleObjectsEx(1, &child, milliseconds - elapsed,
                                                        QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken == WAIT_OBJECT_0) return Wait::kEnded;
        // A failed wait is no end: the caller's count of slices ends it.
        if (woken != WAIT_OBJECT_0 + 1) return Wait::kTimedOut;
        if (!handlePendingMessages()) return Wait::kQuit;
    }
}

bool Win32Ui::handlePendingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The main loop must still see it.
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}

}  // namespace kh::win32
