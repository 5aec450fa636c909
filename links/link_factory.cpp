#include "links/link_factory.h"

#include "links/listed_port_source.h"

namespace torvane {

std::unique_ptr<PortSource> LinkFactory::MakePortSource() {
    return std::make_unique<ListedPortSource>();
}

}  // namespace torvane
