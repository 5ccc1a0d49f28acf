// The machine's shared documents folder, below which the preset library lives.
// One implementation per platform (SharedFolderWin.cpp, SharedFolderLinux.cpp).
#pragma once

#include <string>

// The folder without a trailing separator, or the empty text when it cannot be determined.
std::string SharedDocumentsFolder();

// A '/'-separated path written with the platform's own separators ('\\' on Windows).
std::string NativeSeparators(std::string path);
