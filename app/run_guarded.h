#pragma once

// The one exception guard of every front door: the window model's handlers,
// the native window's message procedure and kelvandor-cli's steps.

#include <exception>
#include <type_traits>
#include <utility>

#include "core/failure.h"
#include "platform/user_interface.h"

namespace kelvandor {

// Runs `step`; an error it raises (an IoError above all) ends it, its text is
// shown through `ui`, and it is given back as the failure. A step that
// returns a Failure gives that when it raises nothing.
template <typename Step>
Failure RunGuarded(UserInterface& ui, Step&& step) {
  try {
    if constexpr (std::is_void_v<std::invoke_result_t<Step>>) {
      std::forward<Step>(step)();
      return Failure();
    } else {
      return std::forward<Step>(step)();
    }
  } catch (const std::exception& error) {
    ui.ShowMessage(error.what());
    return FailureOf(error);
  }
}

}  // namespace kelvandor
