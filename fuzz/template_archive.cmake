# Archive files: the reader's index checks, then every page stream read into a
# page with every class of the model and content layers registered. A page
# stream may name any of those classes, so both layers' sources come whole.
# This file sorts after template.cmake, whose sources are the same: the shared
# code library keeps its batches, and the sources only this target adds stay
# out of them.
find_package(Qt6 REQUIRED COMPONENTS Core Gui)
get_filename_component(_root "${CMAKE_CURRENT_SOURCE_DIR}/.." ABSOLUTE)
file(GLOB_RECURSE _archive_code RELATIVE "${_root}" CONFIGURE_DEPENDS
  "${_root}/platform/classes/*.cpp" "${_root}/platform/rtl/*.cpp" "${_root}/platform/gfx/*.cpp"
  "${_root}/report/model/*.cpp" "${_root}/report/content/*.cpp")
zvo_fuzz(fuzz_archive_reader ${_archive_code} platform/print/PrinterBackend.cpp platform/richedit/RichEdit.cpp
  report/output/ArchiveReader.cpp)
set_source_files_properties("${_root}/report/output/ArchiveReader.cpp" "${_root}/platform/richedit/RichEdit.cpp"
  PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
target_link_libraries(fuzz_archive_reader PRIVATE Qt6::Core Qt6::Gui)
