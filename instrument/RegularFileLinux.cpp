#include "instrument/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <random>

FileReadStatus ReadRegularFile(const std::string& path, size_t limit, std::string& content) {
  content.clear();
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer before fstat can
  // tell it apart; regular files ignore the flag.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return FileReadStatus::CannotOpen;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return FileReadStatus::NotRegular;
  }
  // The size may change while reading: read at most limit + 1 bytes and judge by what arrived.
  char chunk[4096];
  for (;;) {
    const size_t want = std::min(sizeof chunk, limit + 1 - content.size());
    const ssize_t got = ::read(fd, chunk, want);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ::close(fd);
      content.clear();
      return FileReadStatus::CannotOpen;
    }
    if (got == 0) break;
    content.append(chunk, static_cast<size_t>(got));
    if (content.size() > limit) {
      ::close(fd);
      content.clear();
      return FileReadStatus::TooLarge;
    }
  }
  ::close(fd);
  return FileReadStatus::Ok;
}

PathKind GetPathKind(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return errno == ENOENT ? PathKind::Absent : PathKind::Other;
  return S_ISREG(info.st_mode) ? PathKind::Regular : PathKind::Other;
}

std::FILE* CreateFileBeside(const std::string& path, std::string& tempPath) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::random_device device;
  std::mt19937_64 random(device() ^ static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix;
    for (int i = 0; i < 8; ++i) suffix += kDigits[random() % 36];
    // Hidden, and named after the target so that a leftover says where it came from.
    const std::string candidate = folder + "." + name + "." + suffix + ".tmp";
    // O_EXCL: never an existing file; 0666 lets the umask decide like any new file.
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return nullptr;
    }
    // A replaced file keeps its permissions.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
      ::close(fd);
      ::unlink(candidate.c_str());
      return nullptr;
    }
    tempPath = candidate;
    return file;
  }
  return nullptr;
}

bool CloseFileDurably(std::FILE* file) {
  if (!file) return false;
  bool ok = std::fflush(file) == 0;
  ok = ::fsync(::fileno(file)) == 0 && ok;
  return std::fclose(file) == 0 && ok;
}

bool RenameOver(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }
