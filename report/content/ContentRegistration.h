#pragma once

// The content layer's part of the library's start-up and shut-down.

namespace report {

// In order: the draw-command classes of the controls with the class library
// (so that pages holding them read back from a stream), the descriptors of
// the text command, the custom text and the data text, and the label and
// the data text on their palette rows. Runs after the model layer's
// start-up. A second call does nothing until the release.
void ppContentLayerInit();
// Undoes exactly that, in reverse.
void ppContentLayerFinalize();

} // namespace report
