# The end-to-end tests once more, against the Windows program under wine. Included by
# tests/CMakeLists.txt after the native run is registered; does nothing unless the cross
# compiler, wine and the ja_JP.UTF-8 locale (which gives wine the ANSI code page 932) are here.
find_program(QUOVREL_MINGW_CXX x86_64-w64-mingw32-g++)
find_program(QUOVREL_WINE NAMES wine64 wine PATHS /usr/lib/wine)
find_program(QUOVREL_WINESERVER NAMES wineserver PATHS /usr/lib/wine)
execute_process(COMMAND locale -a OUTPUT_VARIABLE quovrel_locales ERROR_QUIET)
string(TOLOWER "${quovrel_locales}" quovrel_locales)
if(NOT QUOVREL_MINGW_CXX OR NOT QUOVREL_WINE OR NOT QUOVREL_WINESERVER
   OR NOT quovrel_locales MATCHES "ja_jp\\.utf-?8")
  message(STATUS "Windows program tests off: needs x86_64-w64-mingw32-g++, wine and ja_JP.UTF-8")
  return()
endif()

# The Windows program, cross-built from the same sources into its own build folder.
include(ExternalProject)
set(QUOVREL_WINDOWS_DIR ${CMAKE_BINARY_DIR}/windows)
set(QUOVREL_WINDOWS_PROGRAM ${QUOVREL_WINDOWS_DIR}/quovrel.exe)
ExternalProject_Add(quovrel_windows
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${QUOVREL_WINDOWS_DIR}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64.cmake
             -DCMAKE_BUILD_TYPE=Release -DQUOVREL_BUILD_TESTS=OFF
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
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)

# A test's properties take one environment entry each here, so the runner sets the rest.
set(QUOVREL_WINE_RUNNER
  "env -u LC_ALL LANG=ja_JP.UTF-8 WINEDEBUG=-all WINEPREFIX=${QUOVREL_WINE_PREFIX} ${QUOVREL_WINE}")
gtest_discover_tests(quovrel_e2e_tests TEST_PREFIX "wine." DISCOVERY_TIMEOUT 60
  PROPERTIES ENVIRONMENT "QUOVREL_PROGRAM=${QUOVREL_WINDOWS_PROGRAM}"
             ENVIRONMENT_MODIFICATION "QUOVREL_RUNNER=set:${QUOVREL_WINE_RUNNER}"
             FIXTURES_REQUIRED wine)
