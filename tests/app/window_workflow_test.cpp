// The shared window suite through the Qt window.

#include "tests/app/qt_window_driver.h"

namespace kelvandor::testing {
namespace {

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, WindowWorkflowTest, QtWindowDriver);

}  // namespace
}  // namespace kelvandor::testing
