#include "gui/DesktopProgramLinux.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace {

constexpr int kServeMs = 40;

std::vector<char*> ArgvOf(const std::vector<std::string>& argv) {
  std::vector<char*> out;
  for (const std::string& a : argv) out.push_back(const_cast<char*>(a.c_str()));
  out.push_back(nullptr);
  return out;
}

}  // namespace

std::string FindProgramOnPath(const char* name) {
  if (!name || !*name || std::strchr(name, '/')) return std::string();
  const char* path = std::getenv("PATH");
  if (!path) return std::string();
  const std::string all(path);
  size_t start = 0;
  while (start <= all.size()) {
    const size_t end = all.find(':', start);
    std::string dir = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!dir.empty()) {
      const std::string candidate = dir + "/" + name;
      struct stat st {};
      if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0) {
        return candidate;
      }
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return std::string();
}

ProgramResult RunProgram(const std::vector<std::string>& argv, const std::function<bool()>& whileWaiting) {
  ProgramResult result;
  if (argv.empty()) return result;
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  std::vector<char*> args = ArgvOf(argv);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    return result;
  }
  result.started = true;
  bool stopped = false;
  char buf[4096];
  for (bool open = true; open;) {
    pollfd p{out[0], POLLIN, 0};
    const int ready = poll(&p, 1, kServeMs);
    if (ready > 0) {
      const ssize_t n = read(out[0], buf, sizeof buf);
      if (n > 0) {
        const size_t room = kMaxProgramOutput - result.output.size();
        result.output.append(buf, std::min(room, static_cast<size_t>(n)));
      } else if (n == 0 || errno != EINTR) {
        open = false;  // the program closed its output (it ends, or ended)
      }
    }
    if (open && whileWaiting && !whileWaiting()) {
      kill(pid, SIGTERM);
      stopped = true;
      open = false;
    }
  }
  close(out[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exitCode = !stopped && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

bool StartProgram(const std::vector<std::string>& argv) {
  if (argv.empty()) return false;
  // A child that spawns the program and exits at once: the program is then adopted by init and
  // never becomes our zombie. The child reports whether the spawn worked through its status.
  // Everything that allocates happens before the fork (another thread may hold the heap's lock).
  std::vector<char*> args = ArgvOf(argv);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  const pid_t child = fork();
  if (child == 0) {
    pid_t pid = -1;
    _exit(posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) == 0 ? 0 : 1);
  }
  posix_spawn_file_actions_destroy(&actions);
  if (child < 0) return false;
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
