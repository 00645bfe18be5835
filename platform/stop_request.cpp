#include "platform/stop_request.h"

#include <atomic>

#include "platform/io_error.h"

namespace kelvandor {
namespace {

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "used from a signal handler");

}  // namespace

void RequestStop() { g_stop.store(true); }
bool StopRequested() { return g_stop.load(); }
void ClearStopRequest() { g_stop.store(false); }

void StopIfRequested() {
  if (StopRequested()) throw IoError(IoErrorCode::kInterrupted);
}

}  // namespace kelvandor
