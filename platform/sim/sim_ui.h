// A simulated main window: control states, the drive list, recorded message
// boxes with scripted answers, timers, posted messages and waits that
// count as a turn of the message loop.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/sim_system.h"
#include "platform/ui.h"

namespace kh::sim {

struct SimControl {
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    std::string text;
};

struct BoxRecord {
    BoxOwner owner;
    std::string text;
    std::string caption;
    unsigned flags;
    int answer;
};

class SimUi : public UserInterface {
  public:
    // Waits for children on `system`'s clock.
    explicit SimUi(SimSystem& system) : system_(system) {}

    // Scripting.
    void answerNextBox(int answer) { answers_.push_back(answer); }
    void answerNextDialog(std::optional<std::string> path) { dialogs_.push_back(std::move(path)); }
    void typeIsoPath(const std::string& text) { controls_[ControlId::kIsoPath].text = text; }
    void selectDriveIndex(int index) { selected_ = index; }
    // Runs while the next message box is open, as an event its modal loop
    // delivers would.
    void whileNextBoxOpen(std::function<void()> action) { whileOpen_ = std::move(action); }
    // Handled at the next wait for a child or turn of the message loop inside
    // a long step, as a click would be.
    std::function<void()> duringWait;

    // Observations.
    const SimControl& control(ControlId id) const;
    const std::vector<ControlId>& creationOrder() const { return creationOrder_; }
    const std::vector<std::string>& drives() const { return drives_; }
    int selectedDrive() const { return selected_; }
    const std::vector<BoxRecord>& boxes() const { return boxes_; }
    const std::map<int, unsigned>& timers() const { return timers_; }
    int startFormatPending() const { return startFormatPending_; }
    void takeStartFormat() { --startFormatPending_; }
    bool quitPosted() const { return quitPosted_; }
    ProcessHandle watchedProcess() const { return watched_; }
    int invalidations() const { return invalidations_; }
    int paintPumps() const { return paintPumps_; }

    // UserInterface.
    void createControl(const ControlSpec& spec) override;
    void enable(ControlId id, bool enabled) override { controls_[id].enabled = enabled; }
    void show(ControlId id, bool visible) override { controls_[id].visible = visible; }
    void setText(ControlId id, const std::string& text) override { controls_[id].text = text; }
    std::string text(ControlId id) override;
    void setChecked(ControlId id, bool checked) override { controls_[id].checked = checked; }
    void clearDriveList() override;
    void addDrive(const std::string& text) override { drives_.push_back(text); }
    void selectDrive(int index) override { selected_ = index; }
    int messageBox(BoxOwner owner, const std::string& text, const std::string& caption,
                   unsigned flags) override;
    std::optional<std::string> openIsoDialog() override;
    void invalidate() override { ++invalidations_; }
    void setTimer(int id, unsigned milliseconds) override { timers_[id] = milliseconds; }
    void killTimer(int id) override { timers_.erase(id); }
    void postStartFormat() override { ++startFormatPending_; }
    void watchProcess(ProcessHandle process) override { watched_ = process; }
    void postQuit() override { quitPosted_ = true; }
    Wait waitForProcessOrMessages(ProcessHandle process, uint32_t milliseconds) override;
    bool handlePendingMessages() override;

  private:
    SimSystem& system_;
    std::map<ControlId, SimControl> controls_;
    std::vector<ControlId> creationOrder_;
    std::vector<std::string> drives_;
    int selected_ = -1;
    std::vector<BoxRecord> boxes_;
    std::deque<int> answers_;
    std::function<void()> whileOpen_;
    std::deque<std::optional<std::string>> dialogs_;
    std::map<int, unsigned> timers_;
    int startFormatPending_ = 0;
    bool quitPosted_ = false;
    ProcessHandle watched_ = 0;
    int invalidations_ = 0;
    int paintPumps_ = 0;
};

}  // namespace kh::sim
