# The tree list's engine: nodes, deletion from inside its notifications, the
# row cache, selection, steps, search and export; the control with columns,
# bands and sorting; layouts, hit tests and sizings at random sizes.
find_package(Qt6 REQUIRED COMPONENTS Core Gui)
get_filename_component(_root "${CMAKE_CURRENT_SOURCE_DIR}/.." ABSOLUTE)
# The whole core: the control's layout storage reaches the ini and registry
# layers, which the other fuzz targets' code shares a library with.
file(GLOB _grid RELATIVE "${_root}" CONFIGURE_DEPENDS "${_root}/grid/core/*.cpp")
file(GLOB _settings RELATIVE "${_root}" CONFIGURE_DEPENDS "${_root}/platform/ini/*.cpp" "${_root}/platform/registry/*.cpp")
file(GLOB _classes RELATIVE "${_root}" CONFIGURE_DEPENDS "${_root}/platform/classes/*.cpp")
file(GLOB _rtl RELATIVE "${_root}" CONFIGURE_DEPENDS "${_root}/platform/rtl/*.cpp")
zvo_fuzz(fuzz_grid_core ${_grid} ${_settings} ${_classes} ${_rtl}
  platform/gfx/GdiObjects.cpp platform/gfx/TextMeasurer.cpp platform/gfx/TextLayout.cpp)
target_link_libraries(fuzz_grid_core PRIVATE Qt6::Core Qt6::Gui)
