# Helpers shared by the subsystem folders.
include(GoogleTest)

# kolvar_product_library(<target>): registers a Windows library for INSTALL.EXE to link.
function(kolvar_product_library target)
  set_property(GLOBAL APPEND PROPERTY KOLVAR_PRODUCT_LIBS ${target})
endfunction()

# kolvar_dist(<target> [NAME <file name>] [SUBDIR <folder>]): copies the built file into
# build/dist after each build.
function(kolvar_dist target)
  cmake_parse_arguments(D "" "NAME;SUBDIR" "" ${ARGN})
  set(dest ${KOLVAR_DIST_DIR})
  if(D_SUBDIR)
    set(dest ${dest}/${D_SUBDIR})
  endif()
  if(NOT D_NAME)
    set(D_NAME $<TARGET_FILE_NAME:${target}>)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dest}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> ${dest}/${D_NAME})
endfunction()

# kolvar_unit_tests(<name> SOURCES ... LIBS ...): a native GoogleTest program; each case is
# one CTest test. Built only in the native configuration.
function(kolvar_unit_tests name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(WIN32)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  gtest_discover_tests(${name} TEST_PREFIX "unit." DISCOVERY_MODE PRE_TEST
                       PROPERTIES LABELS unit)
endfunction()

# kolvar_win_tests(<name> SOURCES ... LIBS ... [GROUP <prefix group>] [SERIAL] [X86] [LOCK <name>]
#                  [FIXTURE <name>]):
# a GoogleTest program run under Wine. GROUP names a Wine prefix copied from the base one for
# isolation (its drives, registry and display settings are the group's own); SERIAL keeps its
# cases from running beside other tests (they drive windows and the mouse); LOCK keeps its
# cases from running beside other cases holding the same lock (they share machine-wide state
# such as HKEY_LOCAL_MACHINE keys of their group's prefix); FIXTURE names a CTest fixture whose
# setup test prepares the group's prefix from outside Wine before any case runs. X86 marks a
# program whose subject behaves differently on 32-bit x86 (calling conventions, the exception
# chain, the floating-point state, the 32-bit registry view): its cases carry the label
# "win-x86", and a build with KOLVAR_WIN_TESTS=X86 makes only such programs.
function(kolvar_win_tests name)
  cmake_parse_arguments(T "SERIAL;X86" "GROUP;LOCK;FIXTURE" "SOURCES;LIBS" ${ARGN})
  if(NOT WIN32 OR NOT KOLVAR_WIN_TESTS)
    return()
  endif()
  if(KOLVAR_WIN_TESTS STREQUAL "X86" AND NOT T_X86)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} win_test_support GTest::gtest_main)
  # One label: a list does not survive gtest_discover_tests' PROPERTIES. CTest's -L is a regular
  # expression, so "win-x86" is picked both by "-L win" and by "-L x86".
  set(props LABELS win)
  if(T_X86)
    set(props LABELS win-x86)
  endif()
  # Under Wine the repository is drive S: (see scripts/wine-prefix).
  file(RELATIVE_PATH dist_rel ${CMAKE_SOURCE_DIR} ${KOLVAR_DIST_DIR})
  file(RELATIVE_PATH bin_rel ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
  string(REPLACE "/" "\\" dist_rel "${dist_rel}")
  string(REPLACE "/" "\\" bin_rel "${bin_rel}")
  set(envs "KOLVAR_DIST=S:\\${dist_rel}" "KOLVAR_BUILD=S:\\${bin_rel}" "KOLVAR_SOURCE=S:\\")
  if(T_GROUP)
    list(APPEND envs "KOLVAR_WINE_GROUP=${T_GROUP}")
  endif()
  if(T_SERIAL)
    list(APPEND props RUN_SERIAL TRUE)
  endif()
  if(T_LOCK)
    list(APPEND props RESOURCE_LOCK ${T_LOCK})
  endif()
  if(T_FIXTURE)
    list(APPEND props FIXTURES_REQUIRED ${T_FIXTURE})
  endif()
  # The variables travel through `env` in front of the Wine wrapper: a list-valued ENVIRONMENT
  # property does not survive gtest_discover_tests (it turns each item after the first into a
  # property name), which left the tests without KOLVAR_BUILD and their group prefix.
  set_property(TARGET ${name} PROPERTY CROSSCOMPILING_EMULATOR env ${envs}
                                                               ${CMAKE_CROSSCOMPILING_EMULATOR})
  gtest_discover_tests(${name} TEST_PREFIX "win." DISCOVERY_MODE PRE_TEST
                       DISCOVERY_TIMEOUT 120
                       PROPERTIES ${props})
endfunction()

# kolvar_export_plain_names(<dll target>): __stdcall exports under their plain names
# (no @<bytes> suffix in the 32-bit build), as outside callers look them up.
function(kolvar_export_plain_names target)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_link_options(${target} PRIVATE -Wl,--kill-at)
  endif()
endfunction()

# kolvar_xp_program(<target>): a program or library we ship, which must start on Windows XP SP3.
# It gets the import slot that keeps the posix-thread runtime's GetTickCount64 off its import
# list, and in the 32-bit build every import it has is checked against what XP offers after
# each link (the build fails and names the function).
function(kolvar_xp_program target)
  if(NOT WIN32)
    return()
  endif()
  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/src/platform/xp_imports.cpp)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/product/check_xp_imports.py
              $<TARGET_FILE:${target}>
      VERBATIM)
  endif()
endfunction()
