#pragma once

// A request to stop the run at its next safe point, as Ctrl-C or a
// termination signal makes it: before a copy goes on, before a file is
// staged, before the commit, between clean-up steps. A commit under way
// finishes or is rolled back first.

namespace kelvandor {

// Safe to call from a signal handler.
void RequestStop();
bool StopRequested();
// Forgets a request: the window's run it stopped has ended (and tests).
void ClearStopRequest();
// Raises IoError(kInterrupted) when a stop was requested.
void StopIfRequested();

}  // namespace kelvandor
