// The desktop's helper programs (dialog programs such as zenity or kdialog, xdg-open), run as
// child processes without a shell: every argument reaches the program as it is, so paths and
// texts need no quoting. UI thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

// The full path of an executable `name` found on PATH, or "" (also for a name with a '/').
std::string FindProgramOnPath(const char* name);

struct ProgramResult {
  bool started = false;  // false: the program could not be run (then exitCode is -1)
  int exitCode = -1;     // the exit status; -1 when it ended by a signal or was stopped by us
  std::string output;    // what it wrote to standard output, at most kMaxOutput bytes
};

constexpr size_t kMaxProgramOutput = 64 * 1024;

// Runs argv (argv[0] a path) with standard input from /dev/null and waits for it. While waiting,
// whileWaiting is called at least every 40 ms (to serve the editor's window); when it returns
// false the program is terminated and the result has exitCode -1.
ProgramResult RunProgram(const std::vector<std::string>& argv, const std::function<bool()>& whileWaiting);

// Starts argv detached (no zombie is left, nothing waits for it). Returns whether the program
// was started.
bool StartProgram(const std::vector<std::string>& argv);
