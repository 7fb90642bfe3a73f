#pragma once

// A file system that is really full, for the saves that must survive one.

#include <functional>
#include <optional>
#include <string>

namespace zvotest {

// Runs the check in a child process on a fresh tmpfs of `kib` KiB, mounted in
// a mount namespace of the child's own so that nothing stays mounted, however
// the test ends. The check answers "" when all was well, else what went
// wrong. nullopt when this system does not let the tests mount one (not root,
// or a container without the right); the caller then skips.
std::optional<std::string> onTinyTmpfs(const std::function<std::string(const std::string &folder)> &check,
                                       int kib = 64);

// Fills the file system that holds the folder until it takes not one byte
// more; false when that could not be brought about.
bool fillFileSystem(const std::string &folder);

} // namespace zvotest
