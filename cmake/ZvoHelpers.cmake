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
#              [COST <s>] [PROGRAM <program>])
# One ctest entry, <name>. Without PROGRAM its tests make a program of the
# same name. With PROGRAM they go into <program>, which the entries naming it
# share, and the entry runs that program on the tests of its own source files
# alone (--zvo_sources, tests/support/test_main_sources.cpp), combined with
# any --gtest_filter it passes. Every test program loads the precompiled
# headers once per batch and instantiates GoogleTest's and Qt's templates
# anew: gathered, an area's entries compile in a few batches where they
# took one or more each. The entries of a program agree on GUI and WEBENGINE,
# as a QApplication and the web engine change what a test sees; the program
# links the union of their LIBS, so a library's static set-up reaches every
# entry of the program; a file with a global test environment
# (::testing::AddGlobalTestEnvironment) would set it up for every entry, so
# its tests keep a program of their own.
# GUI tests get a QApplication on the offscreen platform, WEBENGINE tests the
# web engine's environment as well; every test runs with a pinned locale and
# time zone. COST is for the long tests: about their seconds on two cores, the
# longer of the plain and the sanitizer build's. Without the times of an
# earlier run (a fresh clone, as in CI) ctest starts the tests of highest cost
# first, and a long test started last would run on alone while the other core
# idles.
# zvo_test_target(<name> <var>) gives the program of an entry, for the
# target_* commands; zvo_test_command(<name> <var>) its command, for more
# entries that run the same tests in other conditions.
# The locale and the zone of every test: C.UTF-8 and UTC, where a test's
# result depends on neither. Another pair (-DZVO_TEST_LOCALE=de_DE.UTF-8
# -DZVO_TEST_ZONE=America/Sao_Paulo) runs the whole suite as a user abroad
# would, to find the tests and the code that take English or UTC for granted;
# the runs that pin their own locale or zone (the "_comma", "_tz_" and
# "_locale_" runs) keep theirs.
set(ZVO_TEST_LOCALE "C.UTF-8" CACHE STRING "The locale (LC_ALL, LANG) the tests run in")
set(ZVO_TEST_ZONE "UTC" CACHE STRING "The time zone (TZ) the tests run in")
function(zvo_add_test name)
  cmake_parse_arguments(ARG "GUI;WEBENGINE" "TIMEOUT;COST;PROGRAM" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT ARG_LABELS)
    set(ARG_LABELS unit)
  endif()
  if(ARG_WEBENGINE)
    list(APPEND ARG_LABELS webengine)
    set(_kind webengine)
  elseif(ARG_GUI)
    set(_kind gui)
  else()
    set(_kind plain)
  endif()
  set(_program ${name})
  if(ARG_PROGRAM)
    set(_program ${ARG_PROGRAM})
  endif()
  set(_sources)
  foreach(_s IN LISTS ARG_SOURCES)
    cmake_path(ABSOLUTE_PATH _s BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" NORMALIZE)
    list(APPEND _sources "${_s}")
  endforeach()
  if(TARGET ${_program})
    get_target_property(_program_kind ${_program} ZVO_TEST_KIND)
    if(NOT _program_kind STREQUAL _kind)
      message(FATAL_ERROR "${name}: a ${_kind} test in ${_program}, a program of ${_program_kind} tests")
    endif()
    # A source two entries share (a fixture, a sample) is compiled once.
    get_target_property(_had ${_program} ZVO_TEST_SOURCES)
    list(REMOVE_ITEM _sources ${_had})
    target_sources(${_program} PRIVATE ${_sources})
  else()
    add_executable(${_program} ${_sources})
    set_target_properties(${_program} PROPERTIES ZVO_TEST_KIND ${_kind} ZVO_TEST_SOURCES "" ZVO_TEST_FOLDERS "")
    # The tests that start the web engine carry the label "webengine"; the
    # others make up the target browserless_tests.
    if(NOT ARG_WEBENGINE)
      set_property(GLOBAL APPEND PROPERTY ZVO_BROWSERLESS_TESTS ${_program})
    endif()
    if(ARG_GUI OR ARG_WEBENGINE)
      target_link_libraries(${_program} PRIVATE zvo_test_main_gui)
    else()
      target_link_libraries(${_program} PRIVATE zvo_test_main)
    endif()
    target_link_libraries(${_program} PRIVATE zvo_test_support GTest::gtest GTest::gmock)
    zvo_test_compile_setup(${_program})
  endif()
  set_property(TARGET ${_program} APPEND PROPERTY ZVO_TEST_SOURCES ${_sources})
  target_link_libraries(${_program} PRIVATE ${ARG_LIBS})
  # The fixtures of the test's own folder ("tests/app/MainFormFixture.h"), in
  # one root that every test of the folder shares.
  file(RELATIVE_PATH _folder "${PROJECT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}")
  string(REPLACE "/" "-" _folder "${_folder}")
  get_target_property(_folders ${_program} ZVO_TEST_FOLDERS)
  if(NOT _folder IN_LIST _folders)
    zvo_include_root(${_program} PRIVATE ${_folder} "${CMAKE_CURRENT_SOURCE_DIR}")
    set_property(TARGET ${_program} APPEND PROPERTY ZVO_TEST_FOLDERS ${_folder})
  endif()
  set(_command ${_program})
  if(ARG_PROGRAM)
    set(_own)
    foreach(_s IN LISTS ARG_SOURCES)
      cmake_path(ABSOLUTE_PATH _s BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" NORMALIZE)
      file(RELATIVE_PATH _s "${PROJECT_SOURCE_DIR}" "${_s}")
      list(APPEND _own "${_s}")
    endforeach()
    list(JOIN _own "," _own)
    list(APPEND _command "--zvo_sources=${_own}")
    set_property(TARGET ${_program} APPEND PROPERTY ZVO_TEST_ENTRIES "${name}:${_own}")
    set_property(GLOBAL APPEND PROPERTY ZVO_GATHERED_PROGRAMS ${_program})
  endif()
  set_property(GLOBAL PROPERTY ZVO_TEST_TARGET_${name} ${_program})
  set_property(GLOBAL PROPERTY ZVO_TEST_COMMAND_${name} ${_command})
  add_test(NAME ${name} COMMAND ${_command})
  set(_env "LC_ALL=${ZVO_TEST_LOCALE}" "LANG=${ZVO_TEST_LOCALE}" "TZ=${ZVO_TEST_ZONE}" "QT_QPA_PLATFORM=offscreen"
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
  # For zvo_add_gathered_checks: the environment its program runs in.
  get_target_property(_program_env ${_program} ZVO_TEST_ENV)
  if(NOT _program_env)
    list(TRANSFORM _env REPLACE "/test-home/${name}/" "/test-home/gathered_${_program}/")
    set_target_properties(${_program} PROPERTIES ZVO_TEST_ENV "${_env}")
  endif()
  if(ARG_COST)
    set_tests_properties(${name} PROPERTIES COST ${ARG_COST})
  endif()
endfunction()

# zvo_add_gathered_checks() adds, for every gathered program, the check
# that each of its tests runs in exactly one of its entries
# (tests/support/GatheredTests.cmake); called once all tests are added.
function(zvo_add_gathered_checks)
  get_property(_programs GLOBAL PROPERTY ZVO_GATHERED_PROGRAMS)
  list(REMOVE_DUPLICATES _programs)
  foreach(_program IN LISTS _programs)
    get_target_property(_entries ${_program} ZVO_TEST_ENTRIES)
    get_target_property(_env ${_program} ZVO_TEST_ENV)
    get_target_property(_kind ${_program} ZVO_TEST_KIND)
    list(JOIN _entries "|" _entries)
    add_test(NAME gathered_${_program}
      COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${_program}> "-DENTRIES=${_entries}"
              -P "${PROJECT_SOURCE_DIR}/tests/support/GatheredTests.cmake")
    set(_labels unit)
    if(_kind STREQUAL "webengine")
      list(APPEND _labels webengine)
    endif()
    set_tests_properties(gathered_${_program} PROPERTIES LABELS "${_labels}" ENVIRONMENT "${_env}" TIMEOUT 120)
  endforeach()
endfunction()

function(zvo_test_target name result)
  _zvo_test_property(TARGET ${name} _target)
  set(${result} ${_target} PARENT_SCOPE)
endfunction()

function(zvo_test_command name result)
  _zvo_test_property(COMMAND ${name} _command)
  set(${result} ${_command} PARENT_SCOPE)
endfunction()

function(_zvo_test_property what name result)
  get_property(_value GLOBAL PROPERTY ZVO_TEST_${what}_${name})
  if(NOT _value)
    string(TOLOWER "${what}" _what)
    message(FATAL_ERROR "zvo_test_${_what}: no test ${name}")
  endif()
  set(${result} ${_value} PARENT_SCOPE)
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
    get_target_property(_links ${_program} LINK_LIBRARIES)
    zvo_link_closure(_ours OURS_ONLY ${_links})
    foreach(_lib IN LISTS _ours)
      get_target_property(_type ${_lib} TYPE)
      if(NOT _type STREQUAL "INTERFACE_LIBRARY")
        target_sources(${_program} PRIVATE $<TARGET_OBJECTS:${_lib}>)
      endif()
      target_include_directories(${_program} PRIVATE $<TARGET_PROPERTY:${_lib},INTERFACE_INCLUDE_DIRECTORIES>)
      target_compile_definitions(${_program} PRIVATE $<TARGET_PROPERTY:${_lib},INTERFACE_COMPILE_DEFINITIONS>)
      add_dependencies(${_program} ${_lib})
    endforeach()
    list(REMOVE_DUPLICATES _ours_OTHER)
    set_property(TARGET ${_program} PROPERTY LINK_LIBRARIES ${_ours_OTHER})
  endforeach()
endfunction()

# zvo_link_closure(<result> [OURS_ONLY] <item>...): the targets among the
# link items given and every target they link, directly or through others,
# imported ones included. With OURS_ONLY the walk stops at what is not ours:
# <result> holds our targets only, and <result>_OTHER what they link from
# outside (imported targets, paths, flags) as they name it.
function(zvo_link_closure result)
  set(_todo ${ARGN})
  set(_ours_only FALSE)
  if(_todo)
    list(GET _todo 0 _first)
    if(_first STREQUAL "OURS_ONLY")
      set(_ours_only TRUE)
      list(POP_FRONT _todo)
    endif()
  endif()
  set(_seen)
  set(_other)
  list(LENGTH _todo _left)
  while(_left GREATER 0)
    list(POP_FRONT _todo _t)
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.+)>$" "\\1" _t "${_t}")
    set(_imported FALSE)
    set(_aliased FALSE)
    if(TARGET "${_t}")
      get_target_property(_imported ${_t} IMPORTED)
      get_target_property(_aliased ${_t} ALIASED_TARGET)
    endif()
    if(NOT TARGET "${_t}" OR (_ours_only AND (_imported OR _aliased)))
      list(APPEND _other "${_t}")
    elseif(NOT _t IN_LIST _seen)
      list(APPEND _seen "${_t}")
      get_target_property(_type ${_t} TYPE)
      set(_props INTERFACE_LINK_LIBRARIES)
      if(NOT _imported AND NOT _type STREQUAL "INTERFACE_LIBRARY")
        list(APPEND _props LINK_LIBRARIES)
      endif()
      foreach(_p IN LISTS _props)
        get_target_property(_deps ${_t} ${_p})
        if(_deps)
          list(APPEND _todo ${_deps})
        endif()
      endforeach()
    endif()
    list(LENGTH _todo _left)
  endwhile()
  set(${result} ${_seen} PARENT_SCOPE)
  set(${result}_OTHER ${_other} PARENT_SCOPE)
endfunction()
