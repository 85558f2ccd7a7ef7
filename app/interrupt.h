// An interrupt of the program without a window (SIGINT, SIGTERM): the signal handler only
// records it, the headless host asks the running benchmark to stop through its own stop path
// and the suite skips the steps that are left. The GUI never installs the handlers, so for it
// nothing is ever requested.
#pragma once

namespace app {

// Installs the SIGINT and SIGTERM handlers. The first signal records the request; a second one
// (more than 0.1 s later: one sender may deliver the same request twice) ends the process at
// once with 128 + its number.
void install_interrupt_handlers();

// True once an interrupt was requested. Safe from any thread and from a signal handler.
bool interrupt_requested() noexcept;
// The signal that asked for the interrupt (0: none); the exit status is 128 + this.
int interrupt_signal() noexcept;
// Records an interrupt as the handler does (tests, and a face with its own way to stop).
void request_interrupt(int signal_number) noexcept;
// Forgets a request (tests).
void clear_interrupt() noexcept;

}  // namespace app
