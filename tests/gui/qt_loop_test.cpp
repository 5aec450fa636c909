#include "gui/qt_loop.h"

#include "platform/loop_contract.h"
#include "run_qt_until.h"

namespace torvane {
namespace {

struct QtLoopHarness {
    gui::QtLoop loop;
    EventLoop& Loop() { return loop; }
    bool RunUntil(const std::function<bool()>& done, int ms) { return gui::RunQtUntil(done, ms); }
};
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, LoopContract, QtLoopHarness);

}  // namespace
}  // namespace torvane
