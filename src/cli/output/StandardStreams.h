#pragma once

// Standard streams of the tool: every failure to write to them makes the run fail.

// Puts /dev/null, opened the wrong way round, on any of descriptors 0-2 that is closed, so no
// output file takes its number and every use of it fails as on a closed stream (EBADF).
void GuardStandardStreams();

// Whether descriptor `fd` is open for writing: not closed, not open for reading only, and not a
// closed standard stream that GuardStandardStreams filled.
bool IsWritableDescriptor(int fd);

// Records the errno of a failed write or flush of stdout; the first reason is kept.
void NoteStandardOutputError();

// Flushes and closes stdout and flushes stderr. Returns `exitCode`, or `lostExitCode` when that
// is higher, after reporting "plimdisp-cli: write error: <reason>", when any output was lost.
int FinishStandardStreams(int exitCode, int lostExitCode = 1);
