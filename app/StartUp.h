#pragma once

#include "text/Text.h"

namespace melvora {

// Makes the folder that holds the program file the current directory, wherever the program was
// started from, so that relative paths such as "MP3" land beside the program. False when the
// program's own path cannot be read or the folder cannot be entered.
bool MakeProgramFolderCurrent();

// True only when `path` names an existing directory (a file of that name does not count).
bool IsExistingDirectory(const Text& path);

// Creates every missing folder of `path` up to its last '/'; a path that does not end in '/'
// gets one, so "MP3" makes the folder "MP3". True when every folder exists afterwards.
bool CreateFolderPath(const Text& path);

// The window's created event: makes sure the music folder "MP3" exists in the current
// directory. A file of that name in the way is not reported; downloads into it fail later.
void MainWindowCreated();

}  // namespace melvora
