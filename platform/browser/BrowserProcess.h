#pragma once

namespace browser {

// Readies the process for the web engine; call before the application object
// is made. Settings already in the environment are kept: the sandbox is only
// turned off for root (the engine refuses to start there with it), and the
// engine's switches keep it from going to the network on its own.
void prepareProcess();

} // namespace browser
