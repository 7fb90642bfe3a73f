# Trees of report objects read from component streams.
find_package(Qt6 REQUIRED COMPONENTS Core Gui)
get_filename_component(_root "${CMAKE_CURRENT_SOURCE_DIR}/.." ABSOLUTE)
file(GLOB _classes RELATIVE "${_root}" CONFIGURE_DEPENDS "${_root}/platform/classes/*.cpp" "${_root}/platform/rtl/*.cpp")
zvo_fuzz(fuzz_relative_tree ${_classes}
  report/model/Communicator.cpp report/model/Relative.cpp report/model/Descriptors.cpp report/model/ParamList.cpp
  report/model/UniqueNames.cpp report/model/StreamUtils.cpp report/model/Exceptions.cpp report/model/Units.cpp
  platform/gfx/GdiObjects.cpp)
target_link_libraries(fuzz_relative_tree PRIVATE Qt6::Core Qt6::Gui)
