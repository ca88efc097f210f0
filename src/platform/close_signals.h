#pragma once
// SIGTERM, SIGINT and SIGHUP as a readable descriptor: the event loop then ends the program the
// way the user would, instead of the program dying inside a signal handler.

namespace platform {

// Installs the handlers once per process and returns the descriptor that turns readable when one
// of the signals arrives; -1 (errno set) when it cannot be made. Both ends are close-on-exec, so
// programs started later do not inherit them. GUI thread.
int installCloseSignals();

// Consumes what arrived on the descriptor, so it waits for the next signal. GUI thread.
void acknowledgeCloseSignal(int descriptor);

}  // namespace platform
