#pragma once

#include <string>

// The files a run reads, by identity (device and inode), so that no output ever reaches one of
// them under any name: another path, a link, a bind mount, an open standard stream. Safe to
// use from several threads.

// Records the regular file at `path` (followed through links); anything else is skipped.
void NoteRunInput(const std::string& path);
// Records the open file `fd` when it is a regular file.
void NoteRunInput(int fd);

// Whether `path`, as a link or followed through links, is an input of the run.
bool IsRunInputAt(const std::string& path);
// Whether the open file `fd` is an input of the run.
bool IsRunInputOpen(int fd);
