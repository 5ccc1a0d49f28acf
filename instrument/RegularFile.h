// Whole-file reading and replacing for preset files and the renderer's inputs and outputs.
// Only regular files are read or replaced: a device, a FIFO or a folder could block a read forever
// (under the parameter lock, stalling the audio thread) or be destroyed by a rename.
// One implementation per platform (RegularFileLinux.cpp, RegularFileWin.cpp). Any thread.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

enum class FileReadStatus { Ok, CannotOpen, NotRegular, TooLarge };

// Reads the whole file into `content` when it is a regular file of at most `limit` bytes; never
// reads more than limit + 1 bytes, never blocks on a FIFO or device. `content` is cleared first.
FileReadStatus ReadRegularFile(const std::string& path, size_t limit, std::string& content);

enum class PathKind { Absent, Regular, Other };
// What `path` names now (symbolic links followed).
PathKind GetPathKind(const std::string& path);

// Creates a new file with a unique name in the folder of `path` (never an existing one) and opens
// it for binary writing; its name goes to `tempPath`. Null when it cannot be created.
std::FILE* CreateFileBeside(const std::string& path, std::string& tempPath);

// Flushes `file` to the disk and closes it; false when any step failed (the file is closed anyway).
bool CloseFileDurably(std::FILE* file);

// Renames `from` over `to` in one step, replacing a regular file at `to`. False when it failed.
bool RenameOver(const std::string& from, const std::string& to);
