#pragma once
// torvane-sim's serial port: a pseudo-terminal whose slave side is the port
// a program opens (its path is printed, and optionally linked to a fixed
// name); the master side is the switcher's end of the cable.

#include <functional>
#include <memory>
#include <string>

#include "platform/event_loop.h"
#include "sim/posix_byte_stream_writer.h"
#include "sim/posix_fd.h"
#include "sim/switcher_model.h"

namespace torvane::sim {

class PosixPtyPort {
  public:
    PosixPtyPort(EventLoop& loop, SwitcherModel& model) : loop_(loop), model_(model) {}
    ~PosixPtyPort();
    PosixPtyPort(const PosixPtyPort&) = delete;
    PosixPtyPort& operator=(const PosixPtyPort&) = delete;

    // Opens the pseudo-terminal and, if `linkPath` is not empty, makes it a
    // symbolic link to the slave (replacing an old symbolic link there).
    bool Open(const std::string& linkPath, std::string* error);
    const std::string& SlavePath() const { return slavePath_; }
    // Closes both ends and removes the link, as an adapter pulled out; Reopen
    // plugs a new pseudo-terminal in under the same link name.
    void Close() { CloseLine(); }
    bool Reopen(std::string* error);
    bool IsOpen() const { return master_.Valid(); }
    // Runs after the line was cut (the hang-up fault) and a new
    // pseudo-terminal took its place, with the new slave path.
    void SetOnReplaced(std::function<void(const std::string& slavePath)> onReplaced) {
        onReplaced_ = std::move(onReplaced);
    }

  private:
    void OnEvents(unsigned events);
    // Closes both ends, so the program holding the slave sees a hang-up,
    // then opens a fresh pseudo-terminal under the same link name: the
    // adapter unplugged and plugged in again.
    void Replace();
    void CloseLine();

    EventLoop& loop_;
    SwitcherModel& model_;
    UniqueFd master_;
    // Held open so that the master does not see a hang-up each time a
    // program closes the port; the switcher stays on the line.
    UniqueFd slave_;
    EventLoop::WatchId watch_ = 0;
    std::unique_ptr<ByteStreamWriter> writer_;
    std::unique_ptr<ModelLink> link_;
    std::string slavePath_;
    std::string linkPath_;
    std::function<void(const std::string&)> onReplaced_;
};

}  // namespace torvane::sim
