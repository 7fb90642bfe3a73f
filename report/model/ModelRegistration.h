#pragma once

// The model layer's part of the library's start-up and shut-down: what its
// units register while the program runs. The library's own start-up calls
// these in its order; later parts of the model layer add their registrations
// here.

namespace report {

// In order: the calling thread becomes the library's main thread; the
// enumerated names; the display-format hook; the language module "bvPrint";
// the scripting descriptors of TObject, TComponent, the communicator, the
// relative, the printer setup, the cacheable, the data pipeline, the field,
// the draw command, the page, the printable, the component and the band (the
// descriptor registry is made by the first); the classes TppField and
// TppMasterFieldLink; the component registry's hooks; the preview settings
// (class and enumerated names) and the text-search settings class; the
// producer's descriptor; the descriptors of the band classes and the group,
// the ten band classes and the column traversal's names; the settings-storage
// plug-ins.
// A second call does nothing until the release.
void ppModelLayerInit();
// Undoes exactly that (and frees the form-class list): unregisters the descriptors and frees their registry,
// unregisters the names and frees the registry, clears the hook, unregisters
// the module, frees the resource manager and the printers (list, global
// printer, placeholder).
void ppModelLayerFinalize();

} // namespace report
