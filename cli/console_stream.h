// The console text as a terminal shows it: the console's in-band control bytes removed and
// CR LF turned into a newline. Texts arrive in pieces, so a control byte whose argument is in
// the next piece is still removed whole.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace cli {

class ConsoleStreamFilter {
  public:
    std::string feed(std::string_view text);

  private:
    int skip_ = 0;             // argument bytes still to drop
    bool pending_cr_ = false;  // a CR that may start a CR LF
};

// Streams every console text to standard output through the filter, one flush per text. A
// failed write is noted, not fatal: the run and its files matter more than the echo.
// Lines beginning with "Error" also go to standard error after "lumetra2-cli: "; with
// `to_stdout` false (--quiet) only they are shown.
void stream_console_to_stdout(bool to_stdout = true);

// Standard output was closed when the program started (its descriptor now leads to /dev/null):
// counted as a write that failed with EBADF.
void note_stdout_closed();

// At exit: flushes standard output; when it failed at any time (a full device, a closed pipe),
// says so on `err` and turns a success `status` into 1. Other statuses are kept.
int finish_stdout(int status, std::FILE* err);

}  // namespace cli
