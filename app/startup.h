// The program's start-up, split into the steps a face runs in this order, so the GUI can create
// and show its main window between them:
//
//   startup_banner()               settings key name, processor count, fresh console, banner
//   (GUI: create the main window)
//   startup_detecting_line()       "Detecting processor..." / "Detecting %d processors..."
//   (GUI: show the window, reset console().changed_event(), create the console view, start
//    timers 500 and 505, paint; the CLI only resets the event)
//   startup_detect_processors()    processor report and instruction-set lines
//   startup_ready_and_log_file()   "Ready to execute." and the console log file
//   (GUI: paint)
//   parse_command_line(text)       app/command_line.h
//
// run_startup() runs them all in that order for a face without a window.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "app/command_line.h"

namespace app {

// The application's settings key name (the GUI registers it as its application name).
inline constexpr std::string_view kSettingsKey = "Lumetra 2.0";
inline constexpr std::string_view kBuildString = "Build 21MAR05";
// The banner's credit lines (the About box shows the same).
inline constexpr std::string_view kAuthorCredits[3] = {
    "   The Lumetra developers: molecular dynamics and atomic structure",
    "   The Lumetra developers: memory, STREAM, matrix-multiply and cipher benchmarks",
    "   The Lumetra developers: suite, scores and the Linux edition",
};
inline constexpr std::string_view kAcknowledgement =
    "   Everyone who ran the beta builds and sent in their results";

// Queries the processor count, empties the console and writes the banner.
void startup_banner();
// Stores the processor count in processor_info() and appends the detecting line.
void startup_detecting_line();
// Processor detection on the real processor (app/processor_detect.h), its report
// and the instruction-set lines.
void startup_detect_processors();
// Appends "Ready to execute." with the cursor marker, creates the console log
// file in `dir` (named from the current UTC time) with the text so far and signals the
// console-changed event. A file that cannot be created raises the console-file warning through
// the message sink and start-up goes on; returns the log file path either way.
std::filesystem::path startup_ready_and_log_file(const std::filesystem::path& dir = ".");

// Where the console log and the results files go: "." (the working directory) unless the
// command-line program was given --output-dir.
void set_output_directory(std::filesystem::path dir);
std::filesystem::path output_directory();

// Two programs started in one folder would write their output files over each other: each
// start takes an advisory lock (flock) on kLockFileName in the working directory before it
// writes anything, and a second start is refused rather than kept waiting, so an unattended
// caller never hangs behind a long run. The lock goes with the process.
inline constexpr std::string_view kLockFileName = ".lumetra2.lock";

class DirectoryLock {
  public:
    DirectoryLock() = default;
    ~DirectoryLock();
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

    // True when this object holds the lock of `dir`, or when `dir` has no lock file and cannot
    // hold one (a folder that cannot be written has no output to protect). False, with
    // `message` saying why, when another program holds it or the lock cannot be taken.
    bool acquire(const std::filesystem::path& dir, std::string* message);
    bool held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

// The program's own lock of `dir`, kept until it exits.
bool lock_working_directory(const std::filesystem::path& dir, std::string* message);

// A program started with standard input, output or error closed would hand those numbers to
// the first files it opens (the lock, a log) and print into them. Opens /dev/null on each
// closed one of 0, 1 and 2; returns a mask of those that were closed (bit n for descriptor n).
// Call before opening anything.
int open_closed_standard_descriptors();

// Every step in order, then the parse of `cmdline`.
CommandLine run_startup(std::string_view cmdline);

}  // namespace app
