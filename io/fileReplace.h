#pragma once
// Replacing a file whole or not at all. The new contents go to a temporary file of a fresh,
// unguessable name in the target's folder, created exclusively and never through a link, so no
// object already lying in that folder (a link, a named pipe, someone's file) is ever opened or
// changed. Only a temporary that was written, flushed to disk and closed without error is
// renamed over the target; readers see the old file or the new one, never a part of either.
// Names are taken relative to a folder's descriptor, so a folder swapped for another (or for a
// link) while files are written changes nothing: all of them land in the folder first opened.

#include <csignal>
#include <cstdio>
#include <functional>
#include <string>

// Writes `name` in the folder open as `folder` (AT_FDCWD: the working directory) through
// write(file), which returns false on a failure of its own. Refuses an existing target that is
// not a plain file or that this user may not write; a replaced file keeps its permission bits.
// Returns an empty text when the new file is in place, else why not (the system's error); the
// target is then as it was and the temporary is gone.
std::string replaceFile(int folder, const std::string& name,
                        const std::function<bool(std::FILE*)>& write);

// Whether a file can be made in the folder open as `folder`: a temporary is created there and
// removed at once. Returns an empty text when it could be, else why not (the system's error).
std::string checkFolderWritable(int folder);

// The signals that end a run; they are held while a temporary file comes or goes.
constexpr int RUN_ENDING_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

// Removes the temporary file being written, if there is one. Safe in a signal handler.
void removeTemporaryFile();
