#pragma once
// Replacing a file whole or not at all. The new contents go to a temporary file of a fresh,
// unguessable name in the target's folder, created exclusively and never through a link, so no
// object already lying in that folder (a link, a named pipe, someone's file) is ever opened or
// changed. Only a temporary that was written, flushed to disk and closed without error is
// renamed over the target; readers see the old file or the new one, never a part of either.

#include <cstdio>
#include <functional>
#include <string>

// Writes `path` through write(file), which returns false on a failure of its own. Refuses an
// existing target that is not a plain file or that this user may not write; a replaced file keeps
// its permission bits. Returns true when the new file is in place; on false the target is as it
// was and the temporary is gone.
bool replaceFile(const std::string& path, const std::function<bool(std::FILE*)>& write);
