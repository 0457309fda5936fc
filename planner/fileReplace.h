#pragma once
// Replacing a file whole or not at all.

#include <cstdio>
#include <functional>
#include <string>

// Writes `path` through write(file) into a fresh temporary beside it, flushes it to the device
// and renames it over `path`. Returns false, leaving any old file untouched and no temporary
// behind, when the temporary cannot be made, write returns false, or any step fails.
bool replaceFile(const std::string& path, const std::function<bool(std::FILE*)>& write);
