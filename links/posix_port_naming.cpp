#include "links/port_naming.h"

namespace torvane {

std::unique_ptr<PortNaming> MakePlatformPortNaming() {
    return std::make_unique<DevicePathNaming>();
}

}  // namespace torvane
