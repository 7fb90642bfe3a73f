# zvo_include_root(<target> <PUBLIC|PRIVATE|INTERFACE> <root name> <folder> [<header>...])
# Gives the target an include root of its own: a folder of the build tree in
# which the headers of <folder> (or the headers given) appear, as symbolic
# links, under their path in the source tree. "platform/gfx/Canvas.h" is then found only by targets that
# link platform_gfx, so an include across the layering rule fails to compile
# instead of working until the link line is looked at. Headers are linked one
# by one because a folder may hold the folders of other targets (app/about).
function(zvo_include_root target scope name folder)
  set(_root "${CMAKE_BINARY_DIR}/include/${name}")
  # Rebuilt on every configure, so that a header removed or renamed in the
  # source tree is gone from the root as well.
  file(REMOVE_RECURSE "${_root}")
  file(RELATIVE_PATH _rel "${PROJECT_SOURCE_DIR}" "${folder}")
  file(MAKE_DIRECTORY "${_root}/${_rel}")
  set(_headers ${ARGN})
  if(NOT _headers)
    file(GLOB _headers CONFIGURE_DEPENDS "${folder}/*.h")
  endif()
  foreach(_h IN LISTS _headers)
    cmake_path(ABSOLUTE_PATH _h BASE_DIRECTORY "${folder}")
    # A header of a sub-folder keeps its place below the folder.
    file(RELATIVE_PATH _file "${folder}" "${_h}")
    get_filename_component(_dir "${_root}/${_rel}/${_file}" DIRECTORY)
    file(MAKE_DIRECTORY "${_dir}")
    file(CREATE_LINK "${_h}" "${_root}/${_rel}/${_file}" SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${scope} "${_root}")
endfunction()

# zvo_add_library(<target> [SUBDIRS ...] [DEPS ...]) builds every .cpp of the
# calling folder, and of the sub-folders named, into one static library. Each
# folder of the source tree is one target, so the layering rule of the project
# is whatever the DEPS lines allow; the include roots make the compiler hold to
# it as well as the linker. Sub-folders sort a large target by topic
# ("report/model/printing/Printer.h"); they are named rather than globbed
# because a folder may hold the folders of other targets.
# The sanitizer build (scripts/test.sh) makes these libraries shared: its
# instrumented test programs were 160 MB each, and linking the same libraries
# into every one of them took a third of that build's linking and compiling.
option(ZVO_SHARED_LIBRARIES "Build the project's libraries as shared libraries" OFF)
if(ZVO_SHARED_LIBRARIES)
  set(ZVO_LIBRARY_TYPE SHARED)
else()
  set(ZVO_LIBRARY_TYPE STATIC)
endif()

function(zvo_add_library target)
  cmake_parse_arguments(ARG "" "" "SUBDIRS;DEPS" ${ARGN})
  set(_src)
  set(_hdr)
  foreach(_d IN ITEMS "." ${ARG_SUBDIRS})
    file(GLOB _s CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${_d}/*.cpp")
    file(GLOB _h CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${_d}/*.h")
    list(APPEND _src ${_s})
    list(APPEND _hdr ${_h})
  endforeach()
  if(_src)
    add_library(${target} ${ZVO_LIBRARY_TYPE} ${_src} ${_hdr})
    target_link_libraries(${target} PUBLIC ${ARG_DEPS})
    zvo_include_root(${target} PUBLIC ${target} "${CMAKE_CURRENT_SOURCE_DIR}" ${_hdr})
  else()
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE ${ARG_DEPS})
    zvo_include_root(${target} INTERFACE ${target} "${CMAKE_CURRENT_SOURCE_DIR}" ${_hdr})
  endif()
endfunction()

# zvo_add_test(<name> SOURCES ... LIBS ... LABELS ... [GUI] [WEBENGINE] [TIMEOUT <s>]
#              [COST <s>])
# One test program per call. GUI tests get a QApplication on the offscreen
# platform, WEBENGINE tests the web engine's environment as well; every test
# runs with a pinned locale and time zone. COST is for the long tests: about
# their seconds on two cores, the longer of the plain and the sanitizer
# build's. Without the times of an earlier run (a fresh clone, as in CI)
# ctest starts the tests of highest cost first, and a long test started
# last would run on alone while the other core idles.
function(zvo_add_test name)
  cmake_parse_arguments(ARG "GUI;WEBENGINE" "TIMEOUT;COST" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(NOT ARG_LABELS)
    set(ARG_LABELS unit)
  endif()
  # The tests that start the web engine carry the label "webengine"; the
  # others make up the target browserless_tests.
  if(ARG_WEBENGINE)
    list(APPEND ARG_LABELS webengine)
  else()
    set_property(GLOBAL APPEND PROPERTY ZVO_BROWSERLESS_TESTS ${name})
  endif()
  if(ARG_GUI OR ARG_WEBENGINE)
    target_link_libraries(${name} PRIVATE zvo_test_main_gui)
  else()
    target_link_libraries(${name} PRIVATE zvo_test_main)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} zvo_test_support GTest::gtest GTest::gmock)
  zvo_test_compile_setup(${name})
  # The fixtures of the test's own folder ("tests/app/MainFormFixture.h"), in
  # one root that every test of the folder shares.
  file(RELATIVE_PATH _folder "${PROJECT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}")
  string(REPLACE "/" "-" _folder "${_folder}")
  zvo_include_root(${name} PRIVATE ${_folder} "${CMAKE_CURRENT_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  set(_env "LC_ALL=C.UTF-8" "LANG=C.UTF-8" "TZ=UTC" "QT_QPA_PLATFORM=offscreen"
           "ZVO_PROGRAM_DIR=${ZVO_PROGRAM_DIR}" "ZVO_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
           # Per-user stores of the tests stay out of the real home folder.
           "XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-home/${name}/config"
           "XDG_CACHE_HOME=${CMAKE_BINARY_DIR}/test-home/${name}/cache"
           "XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-home/${name}/data")
  if(ARG_WEBENGINE)
    list(APPEND _env "QTWEBENGINE_DISABLE_SANDBOX=1"
      "QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu --disable-background-networking --disable-component-update --no-first-run")
  endif()
  if(ZVO_SANITIZE)
    set(_supp "${PROJECT_SOURCE_DIR}/cmake/sanitizers")
    set(_asan "detect_leaks=1:check_initialization_order=1:detect_stack_use_after_return=1")
    if(ARG_WEBENGINE)
      # Chromium deletes objects through a base of another size, which the
      # check cannot be told to pass over for one library only.
      string(APPEND _asan ":new_delete_type_mismatch=0")
    endif()
    # Qt on X11 loads Mesa's GL driver and unloads it at exit, so the leak
    # checker finds its leaks but cannot name the library to pass over.
    list(APPEND _env "QT_XCB_GL_INTEGRATION=none" "ASAN_OPTIONS=${_asan}"
      "LSAN_OPTIONS=suppressions=${_supp}/lsan.supp:print_suppressions=0"
      "UBSAN_OPTIONS=print_stacktrace=1"
      "TSAN_OPTIONS=suppressions=${_supp}/tsan.supp:second_deadlock_stack=1:print_suppressions=0")
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" ENVIRONMENT "${_env}" TIMEOUT ${ARG_TIMEOUT})
  if(ARG_COST)
    set_tests_properties(${name} PROPERTIES COST ${ARG_COST})
  endif()
endfunction()

# zvo_write_static_library_list(<file>) writes the path of every static
# library this build defines, one a line, for scripts/check_symbols.sh. Taken
# from the targets themselves so that a library left behind in the build
# folder by a target that moved or went is not checked.
function(zvo_write_static_library_list file)
  _zvo_static_libraries("${PROJECT_SOURCE_DIR}" _libs)
  list(TRANSFORM _libs REPLACE "^(.+)$" "$<TARGET_FILE:\\1>")
  list(JOIN _libs "\n" _content)
  file(GENERATE OUTPUT "${file}" CONTENT "${_content}\n")
endfunction()

function(_zvo_static_libraries dir result)
  set(_found)
  get_property(_targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
  foreach(_t IN LISTS _targets)
    get_target_property(_type ${_t} TYPE)
    if(_type STREQUAL "STATIC_LIBRARY")
      list(APPEND _found ${_t})
    endif()
  endforeach()
  get_property(_subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
  foreach(_d IN LISTS _subdirs)
    _zvo_static_libraries("${_d}" _below)
    list(APPEND _found ${_below})
  endforeach()
  set(${result} ${_found} PARENT_SCOPE)
endfunction()

# zvo_test_compile_setup(<target>) compiles a test program's own sources as
# every test program is compiled: unoptimised, whatever the build type, and
# with the headers all of them read precompiled once. A test's code is set-up
# and assertions; optimising GoogleTest's macros took longer than optimising
# the libraries they test, which keep the build's optimisation. The
# precompiled headers need the same flags and Qt modules in every test
# program, hence Widgets on every link line.
function(zvo_test_compile_setup target)
  target_compile_options(${target} PRIVATE -O0 -Winvalid-pch)
  target_link_libraries(${target} PRIVATE Qt6::Widgets)
  if(ZVO_PRECOMPILED_HEADERS)
    target_precompile_headers(${target} REUSE_FROM zvo_test_pch)
    # A test program with a class for moc gets a moc file of its own
    # (zvo_moc_only_where_needed), better compiled without the precompiled
    # headers than with them.
    get_target_property(_bin ${target} BINARY_DIR)
    set_source_files_properties("${_bin}/${target}_autogen/mocs_compilation.cpp"
      TARGET_DIRECTORY ${target} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
  endif()
endfunction()

# zvo_moc_only_where_needed(<folder>) leaves moc out of every target of the
# folder and those below it none of whose files declares a Qt meta-object.
# A target with moc runs it over each of its files and compiles one more
# file, and most of ours have nothing for it. A file counts when it is a
# source of the target or the header of one (moc finds "Form.h" beside
# "Form.cpp" whether or not it is listed). Where a header declares one, its
# source includes the header's moc file at its end ("moc_Form.cpp"), so that
# it compiles in the source's batch instead of in a file of its own that
# reads the target's headers once more.
function(zvo_moc_only_where_needed dir)
  get_property(_targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
  foreach(_t IN LISTS _targets)
    get_target_property(_type ${_t} TYPE)
    if(NOT _type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      continue()
    endif()
    get_target_property(_moc ${_t} AUTOMOC)
    if(NOT _moc)
      continue()
    endif()
    get_target_property(_sources ${_t} SOURCES)
    get_target_property(_source_dir ${_t} SOURCE_DIR)
    set(_files)
    foreach(_s IN LISTS _sources)
      if(_s MATCHES "^\\$<")
        continue()
      endif()
      cmake_path(ABSOLUTE_PATH _s BASE_DIRECTORY "${_source_dir}")
      list(APPEND _files "${_s}")
      if(_s MATCHES "\\.cpp$")
        string(REGEX REPLACE "\\.cpp$" ".h" _h "${_s}")
        list(APPEND _files "${_h}")
      endif()
    endforeach()
    set(_needed FALSE)
    foreach(_f IN LISTS _files)
      if(EXISTS "${_f}" AND NOT IS_DIRECTORY "${_f}")
        file(STRINGS "${_f}" _meta REGEX "Q_OBJECT|Q_GADGET|Q_NAMESPACE" LIMIT_COUNT 1)
        if(_meta)
          set(_needed TRUE)
          break()
        endif()
      endif()
    endforeach()
    if(NOT _needed)
      set_target_properties(${_t} PROPERTIES AUTOMOC OFF)
    endif()
  endforeach()
  get_property(_subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
  foreach(_d IN LISTS _subdirs)
    zvo_moc_only_where_needed("${_d}")
  endforeach()
endfunction()

# zvo_link_project_objects(<program>...) links each program with the object
# files of every library of ours it reaches, directly or through others,
# instead of with the libraries themselves; libraries from outside stay as
# they are. Used where the libraries are shared (the sanitizer build) for the
# programs the tests start hundreds of times: each start of such a program
# spent a quarter of its time in the dynamic loader and in the page faults of
# relocating our instrumented libraries. Every object is linked, as a shared
# library links all of its own, so every static set-up still runs.
function(zvo_link_project_objects)
  foreach(_program IN LISTS ARGN)
    get_target_property(_todo ${_program} LINK_LIBRARIES)
    set(_seen)
    set(_external)
    list(LENGTH _todo _left)
    while(_left GREATER 0)
      list(POP_FRONT _todo _item)
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.+)>$" "\\1" _item "${_item}")
      set(_ours FALSE)
      if(TARGET "${_item}")
        get_target_property(_imported ${_item} IMPORTED)
        get_target_property(_aliased ${_item} ALIASED_TARGET)
        if(NOT _imported AND NOT _aliased)
          set(_ours TRUE)
        endif()
      endif()
      if(NOT _ours)
        list(APPEND _external "${_item}")
      elseif(NOT _item IN_LIST _seen)
        list(APPEND _seen ${_item})
        get_target_property(_type ${_item} TYPE)
        set(_props INTERFACE_LINK_LIBRARIES)
        if(NOT _type STREQUAL "INTERFACE_LIBRARY")
          list(APPEND _props LINK_LIBRARIES)
          target_sources(${_program} PRIVATE $<TARGET_OBJECTS:${_item}>)
        endif()
        foreach(_p IN LISTS _props)
          get_target_property(_deps ${_item} ${_p})
          if(_deps)
            list(APPEND _todo ${_deps})
          endif()
        endforeach()
        target_include_directories(${_program} PRIVATE $<TARGET_PROPERTY:${_item},INTERFACE_INCLUDE_DIRECTORIES>)
        target_compile_definitions(${_program} PRIVATE $<TARGET_PROPERTY:${_item},INTERFACE_COMPILE_DEFINITIONS>)
        add_dependencies(${_program} ${_item})
      endif()
      list(LENGTH _todo _left)
    endwhile()
    list(REMOVE_DUPLICATES _external)
    set_property(TARGET ${_program} PROPERTY LINK_LIBRARIES ${_external})
  endforeach()
endfunction()
