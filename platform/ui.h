// The main window as the portable core sees it: its controls, message boxes,
// timers, posted messages and the open-file dialog. Texts are GBK bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/system.h"

namespace kh {

enum class ControlId : int {
    kBrowse = 100,
    kModeUsb = 101,
    kExit = 102,
    kIsoPath = 103,
    kModeGroup = 104,
    kOk = 105,
    kDriveList = 106,
    kModeHarddisk = 107,
    kStatusConfig = 109,
    kStatusFormat = 120,
    kStatusCopy = 121,
};

// A coordinate either from the left/top edge or back from the right/bottom
// edge of the client area.
struct Coordinate {
    int value;
    bool fromFarEdge;
    int resolve(int extent) const { return fromFarEdge ? extent - value : value; }
};

// One child control of the main window: its class, caption, window style and
// position.
struct ControlSpec {
    ControlId id;
    const char* className;
    const char* caption;
    uint32_t style;
    Coordinate x;
    Coordinate y;
    int width;
    int height;
};

// Who owns a message box: the main window, or nobody.
enum class BoxOwner { kMainWindow, kNone };

class UserInterface {
  public:
    virtual ~UserInterface() = default;

    // Creates the control `spec` describes.
    virtual void createControl(const ControlSpec& spec) = 0;
    virtual void enable(ControlId id, bool enabled) = 0;
    virtual void show(ControlId id, bool visible) = 0;
    virtual void setText(ControlId id, const std::string& text) = 0;
    virtual std::string text(ControlId id) = 0;
    virtual void setChecked(ControlId id, bool checked) = 0;

    // The drive list (a drop-down list that is not sorted).
    virtual void clearDriveList() = 0;
    virtual void addDrive(const std::string& text) = 0;
    virtual void selectDrive(int index) = 0;

    // Returns the button pressed, or win::kIdNone when the box returned
    // without an answer (after a quit request).
    virtual int messageBox(BoxOwner owner, const std::string& text, const std::string& caption,
                           unsigned flags) = 0;
    // The open-file dialog; nothing when cancelled.
    virtual std::optional<std::string> openIsoDialog() = 0;

    virtual void invalidate() = 0;  // whole client area, no erase
    virtual void setTimer(int id, unsigned milliseconds) = 0;
    virtual void killTimer(int id) = 0;
    virtual void postStartFormat() = 0;  // the private start-format message
    virtual void postQuit() = 0;         // exit code 0
    // The message loop waits for the end of `process` beside the window's
    // messages and, once it has ended, hands it to usb::onProcessEnded; 0
    // stops watching. One process at a time.
    virtual void watchProcess(ProcessHandle process) = 0;
    // Waits up to `milliseconds` for `process` to end while the window's
    // messages are handled. kQuit: the quit request was met (and is posted
    // again for the main loop); the caller decides how to go on.
    enum class Wait { kEnded, kTimedOut, kQuit };
    virtual Wait waitForProcessOrMessages(ProcessHandle process, uint32_t milliseconds) = 0;
    // Handles every pending message of the window without waiting (a click
    // on Exit or the close box among them) while a long step runs inside a
    // handler; false once the quit request was met (it is posted again for
    // the main loop).
    virtual bool handlePendingMessages() = 0;
};

}  // namespace kh
