#pragma once

// The content layer's part of the library's start-up and shut-down.

namespace report {

// Registers the draw-command classes of the controls with the class library,
// so that pages holding them read back from a stream. A second call does
// nothing until the release.
void ppContentLayerInit();
// Unregisters them again.
void ppContentLayerFinalize();

} // namespace report
