#pragma once
// Tells whether another process holds a serial port, without opening it
// (opening raises DTR and resets many attached boards). A port is busy when
// a process has it open (its /proc/<pid>/fd links) or a live process holds
// its UUCP lock file (LCK..<name> in a lock folder). Folders are settings so
// tests can use a fake tree.

#include <set>
#include <string>
#include <vector>

namespace torvane {

class PortBusyCheck {
  public:
    PortBusyCheck(std::string procRoot, std::vector<std::string> lockDirs);

    // Starts a round of checks for `devicePaths`: the process table is walked
    // once, and only when there is a port to check.
    void Begin(const std::vector<std::string>& devicePaths);
    // Whether the port is busy; call after Begin with one of its paths.
    bool IsBusy(const std::string& devicePath) const;

  private:
    bool IsLocked(const std::string& devicePath) const;
    bool ProcessAlive(long pid) const;

    std::string procRoot_;
    std::vector<std::string> lockDirs_;
    std::set<std::string> openPaths_;
};

}  // namespace torvane
