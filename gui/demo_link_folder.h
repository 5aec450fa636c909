#pragma once
// A private folder for the demo switcher's serial link name: made under the
// temporary folder, only its owner may enter it, removed with what it holds
// when the program ends.

#include <string>

namespace torvane::gui {

class DemoLinkFolder {
  public:
    DemoLinkFolder() = default;
    ~DemoLinkFolder();
    DemoLinkFolder(const DemoLinkFolder&) = delete;
    DemoLinkFolder& operator=(const DemoLinkFolder&) = delete;

    // False with `error` set when the folder cannot be made.
    bool Make(std::string* error);
    // The link's name in the folder; empty before Make.
    std::string LinkPath() const { return folder_.empty() ? "" : folder_ + "/demo-serial"; }

  private:
    std::string folder_;
};

}  // namespace torvane::gui
