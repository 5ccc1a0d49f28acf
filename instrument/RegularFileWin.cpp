#include "instrument/RegularFile.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

FileReadStatus ReadRegularFile(const std::string& path, size_t limit, std::string& content) {
  content.clear();
  // A folder fails to open without backup semantics; devices and pipes open but are not disk files.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    return folder ? FileReadStatus::NotRegular : FileReadStatus::CannotOpen;
  }
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return FileReadStatus::NotRegular;
  }
  char chunk[4096];
  for (;;) {
    const size_t room = limit + 1 - content.size();
    const DWORD want = static_cast<DWORD>(room < sizeof chunk ? room : sizeof chunk);
    DWORD got = 0;
    if (!ReadFile(file, chunk, want, &got, nullptr)) {
      CloseHandle(file);
      content.clear();
      return FileReadStatus::CannotOpen;
    }
    if (got == 0) break;
    content.append(chunk, got);
    if (content.size() > limit) {
      CloseHandle(file);
      content.clear();
      return FileReadStatus::TooLarge;
    }
  }
  CloseHandle(file);
  return FileReadStatus::Ok;
}

PathKind GetPathKind(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::Absent : PathKind::Other;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Other;
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return PathKind::Other;
  const bool disk = GetFileType(file) == FILE_TYPE_DISK;
  CloseHandle(file);
  return disk ? PathKind::Regular : PathKind::Other;
}

std::FILE* CreateFileBeside(const std::string& path, std::string& tempPath) {
  const size_t slash = path.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
  char name[MAX_PATH + 16] = {};
  // Creates the file under a name no other file has.
  if (GetTempFileNameA(folder.c_str(), "syl", 0, name) == 0) return nullptr;
  std::FILE* file = std::fopen(name, "wb");
  if (!file) {
    DeleteFileA(name);
    return nullptr;
  }
  tempPath = name;
  return file;
}

bool CloseFileDurably(std::FILE* file) {
  if (!file) return false;
  bool ok = std::fflush(file) == 0;
  ok = _commit(_fileno(file)) == 0 && ok;
  return std::fclose(file) == 0 && ok;
}

bool RenameOver(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
