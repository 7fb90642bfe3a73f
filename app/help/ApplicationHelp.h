#pragma once

// The application's help: the one handler that receives every help command
// of the program, and the commands themselves. A command the handler leaves
// to it (CallHelp still set) goes to the classic help with the application's
// help file.

#include "platform/help/HelpCommands.h"

#include <cstdint>
#include <functional>
#include <string>

namespace app {

// Returns the result of the request and may clear CallHelp to say that it
// handled the command itself.
using TApplicationHelpHandler = std::function<bool(uint16_t Command, const help::HelpData &Data, bool &CallHelp)>;

// Installs the handler; returns the previous one (empty when there was none).
TApplicationHelpHandler SetApplicationHelpHandler(TApplicationHelpHandler Handler);
bool HasApplicationHelpHandler();

bool ApplicationHelpCommand(uint16_t Command, const help::HelpData &Data = {});
// Jumps to a named topic of the application's help file.
bool ApplicationHelpJump(const std::string &JumpID);

} // namespace app
