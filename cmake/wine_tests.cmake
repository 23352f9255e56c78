# The end-to-end tests once more, against the Windows program under wine. Included by
# tests/CMakeLists.txt after the native run is registered. QUOVREL_WINE_TESTS (top-level
# CMakeLists.txt) decides: AUTO where the cross compiler, wine and the ja_JP.UTF-8 locale (which
# gives wine the ANSI code page 932) are here, ON insists on them, OFF leaves the cross-build out.
if(NOT QUOVREL_WINE_TESTS)
  message(STATUS "Windows program tests off: QUOVREL_WINE_TESTS is ${QUOVREL_WINE_TESTS}")
  return()
endif()
find_program(QUOVREL_MINGW_CXX x86_64-w64-mingw32-g++)
find_program(QUOVREL_WINE NAMES wine64 wine PATHS /usr/lib/wine)
find_program(QUOVREL_WINESERVER NAMES wineserver PATHS /usr/lib/wine)
execute_process(COMMAND locale -a OUTPUT_VARIABLE quovrel_locales ERROR_QUIET)
string(TOLOWER "${quovrel_locales}" quovrel_locales)
set(quovrel_wine_missing)
if(NOT QUOVREL_MINGW_CXX)
  list(APPEND quovrel_wine_missing x86_64-w64-mingw32-g++)
endif()
if(NOT QUOVREL_WINE OR NOT QUOVREL_WINESERVER)
  list(APPEND quovrel_wine_missing wine)
endif()
if(NOT quovrel_locales MATCHES "ja_jp\\.utf-?8")
  list(APPEND quovrel_wine_missing "the ja_JP.UTF-8 locale")
endif()
if(NOT EXISTS ${QUOVREL_UTF8PROC_SOURCE}/utf8proc.c)
  list(APPEND quovrel_wine_missing
    "utf8proc source in QUOVREL_UTF8PROC_SOURCE (${QUOVREL_UTF8PROC_SOURCE})")
endif()
if(quovrel_wine_missing)
  list(JOIN quovrel_wine_missing ", " quovrel_wine_missing)
  if(quovrel_wine_wanted STREQUAL "AUTO")
    message(STATUS "Windows program tests off: no ${quovrel_wine_missing}")
    return()
  endif()
  message(FATAL_ERROR "QUOVREL_WINE_TESTS is ON but this machine has no ${quovrel_wine_missing} "
    "(Debian: apt-get install g++-mingw-w64-x86-64 wine64 locales, then add ja_JP.UTF-8 UTF-8 to "
    "/etc/locale.gen and run locale-gen; utf8proc's source: apt-get source utf8proc with deb-src "
    "entries, its utf8proc-* folder moved to QUOVREL_UTF8PROC_SOURCE, as .ci/run does), or "
    "configure with -DQUOVREL_WINE_TESTS=OFF.")
endif()
message(STATUS "Windows program tests on: cross-built into ${CMAKE_BINARY_DIR}/windows, run under wine")

# The Windows program, cross-built from the same sources into its own build folder.
include(ExternalProject)
set(QUOVREL_WINDOWS_DIR ${CMAKE_BINARY_DIR}/windows)
set(QUOVREL_WINDOWS_PROGRAM ${QUOVREL_WINDOWS_DIR}/quovrel.exe)
ExternalProject_Add(quovrel_windows
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${QUOVREL_WINDOWS_DIR}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64.cmake
             -DCMAKE_BUILD_TYPE=Release -DQUOVREL_BUILD_TESTS=OFF
             -DQUOVREL_UTF8PROC_SOURCE=${QUOVREL_UTF8PROC_SOURCE}
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${QUOVREL_WINDOWS_PROGRAM})
add_dependencies(quovrel_e2e_tests quovrel_windows)
# The cross-check runs the Linux program beside the Windows one.
target_compile_definitions(quovrel_e2e_tests PRIVATE
  QUOVREL_NATIVE_PROGRAM="$<TARGET_FILE:quovrel>")

# A prefix of the build's own, and one wineserver kept up for the whole run: each run of the
# program then costs a fraction of a second instead of a wine start-up.
set(QUOVREL_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
add_test(NAME wine.start COMMAND sh ${PROJECT_SOURCE_DIR}/tests/e2e/wine_start.sh
  ${QUOVREL_WINE_PREFIX} ${QUOVREL_WINE} ${QUOVREL_WINESERVER} ${QUOVREL_WINDOWS_PROGRAM})
add_test(NAME wine.stop COMMAND sh ${PROJECT_SOURCE_DIR}/tests/e2e/wine_start.sh
  ${QUOVREL_WINE_PREFIX} ${QUOVREL_WINE} ${QUOVREL_WINESERVER} --stop)
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300 LABELS wine)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine LABELS wine)

# A test's properties take one environment entry each here, so the runner sets the rest.
set(QUOVREL_WINE_RUNNER
  "env -u LC_ALL LANG=ja_JP.UTF-8 WINEDEBUG=-all WINEPREFIX=${QUOVREL_WINE_PREFIX} ${QUOVREL_WINE}")
gtest_discover_tests(quovrel_e2e_tests TEST_PREFIX "wine." DISCOVERY_TIMEOUT 60
  PROPERTIES ENVIRONMENT "QUOVREL_PROGRAM=${QUOVREL_WINDOWS_PROGRAM}"
             ENVIRONMENT_MODIFICATION "QUOVREL_RUNNER=set:${QUOVREL_WINE_RUNNER}"
             FIXTURES_REQUIRED wine LABELS wine)
