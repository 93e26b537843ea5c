#pragma once

#include <filesystem>

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

// Where this run keeps its songs (see ChooseMusicFolder). Start-up has made the program's folder
// current, so the current directory stands for it: "MP3" there when it is writable, else in the
// user's music folder. Start-up asks once and hands the answer to the window and the downloads.
std::filesystem::path MusicFolderOfThisRun();

// Creates `musicFolder` with every missing parent unless it is a directory already. A file in
// the way is not reported; downloads into the folder fail later.
void MakeMusicFolder(const std::filesystem::path& musicFolder);

// The window's created event: makes sure the music folder of this run exists.
void MainWindowCreated(const std::filesystem::path& musicFolder);

}  // namespace melvora
