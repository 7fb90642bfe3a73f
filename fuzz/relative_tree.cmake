# Trees of report objects read from component streams.
find_package(Qt6 REQUIRED COMPONENTS Core Gui)
get_filename_component(_root "${CMAKE_CURRENT_SOURCE_DIR}/.." ABSOLUTE)
file(GLOB _classes RELATIVE "${_root}" CONFIGURE_DEPENDS "${_root}/platform/classes/*.cpp" "${_root}/platform/rtl/*.cpp")
zvo_fuzz(fuzz_relative_tree ${_classes}
  report/model/objects/Communicator.cpp report/model/objects/Relative.cpp report/model/objects/Descriptors.cpp report/model/objects/ParamList.cpp
  report/model/base/UniqueNames.cpp report/model/base/StreamUtils.cpp report/model/base/Exceptions.cpp report/model/base/Units.cpp
  platform/gfx/GdiObjects.cpp)
target_link_libraries(fuzz_relative_tree PRIVATE Qt6::Core Qt6::Gui)
