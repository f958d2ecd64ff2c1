// The main window's controls and dialogs on real Windows.
#pragma once

#include <windows.h>

#include <map>

#include "platform/ui.h"

namespace kh::win32 {

class Win32Ui : public UserInterface {
  public:
    void attach(HWND mainWindow) { main_ = mainWindow; }

    void createControl(const ControlSpec& spec) override;
    void enable(ControlId id, bool enabled) override;
    void show(ControlId id, bool visible) override;
    void setText(ControlId id, const std::string& text) override;
    std::string text(ControlId id) override;
    void setChecked(ControlId id, bool checked) override;
    void clearDriveList() override;
    void addDrive(const std::string& text) override;
    void selectDrive(int index) override;
    int messageBox(BoxOwner owner, const std::string& text, const std::string& caption,
                   unsigned flags) override;
    std::optional<std::string> openIsoDialog() override;
    void invalidate() override;
    void setTimer(int id, unsigned milliseconds) override;
    void killTimer(int id) override;
    void postStartFormat() override;
    void watchProcess(ProcessHandle process) override { watched_ = process; }
    // What the message loop waits for beside messages; null when nothing.
    HANDLE watchedProcess() const { return reinterpret_cast<HANDLE>(watched_); }
    void postQuit() override;
    Wait waitForProcessOrMessages(ProcessHandle process, uint32_t milliseconds) override;
    bool handlePendingMessages() override;

  private:
    HWND control(ControlId id) const;

    HWND main_ = nullptr;
    std::map<ControlId, HWND> controls_;
    ProcessHandle watched_ = 0;
};

// The private message that starts formatting. It lies in the application's
// range: every number below WM_USER (and so 108) is reserved for the system.
constexpr UINT kStartFormatMessage = WM_APP + 1;

}  // namespace kh::win32
