#pragma once

// What the program checks before its application object is made, when Qt
// has not yet read its configuration "qt.conf" from the program's folder nor
// looked there for plug-ins, and how it tells a refusal to a user who
// started it from a file manager, where nobody reads standard error.

#include <string>
#include <vector>

namespace app {

// Why the program may not run from this folder, empty when it may: somebody
// other than its owner could put a "qt.conf" or a plug-in folder there (a
// folder everyone may write, sticky or not; one whose group holds other
// users and may write), or another user than root and the caller owns it,
// sticky or not. Qt would load that code into the program of whoever starts
// it.
std::string ProgramFolderRefusal(const std::string &folder);

// The folders the notifier is looked for in: the system's own, never the
// caller's PATH, which may name the very folder refused.
std::vector<std::string> SystemProgramFolders();

// Says why the start is refused: one line "Zarvello: " + reason on standard
// error and, when standard error is no terminal and a desktop session is
// there, the same text in a message window of a desktop program found in
// one of the folders (zenity, kdialog, xmessage or notify-send, owned by
// root or the caller and writable by nobody else), which is left running.
// True when a message window was started.
bool TellStartRefusal(const std::string &reason, const std::vector<std::string> &notifierFolders);

} // namespace app
