# utf8proc, which gives a UTF-8 chart its grapheme clusters, character widths and categories, as
# the target quovrel_utf8proc. Included by the top-level CMakeLists.txt.
#
# Linux links the system's library (Debian: libutf8proc-dev), the static archive where there is
# one, as it links the C++ runtime: no library to load at each start, none more for the package
# to depend on. The Windows program has no such package under the cross compiler, so it compiles
# the library from its source, unpacked where QUOVREL_UTF8PROC_SOURCE points (Debian:
# `apt-get source utf8proc`, as .ci/run does); both then read the same Unicode data.

# Set in the Linux build too, which hands it on to the Windows program it cross-builds for the
# wine tests.
set(QUOVREL_UTF8PROC_SOURCE "$ENV{HOME}/.cache/quovrel/utf8proc" CACHE PATH
  "The unpacked source of utf8proc (the folder of utf8proc.c), compiled into the Windows program")
add_library(quovrel_utf8proc INTERFACE)
if(NOT WIN32)
  find_path(QUOVREL_UTF8PROC_INCLUDE utf8proc.h)
  find_library(QUOVREL_UTF8PROC_LIBRARY NAMES libutf8proc.a utf8proc)
  if(NOT QUOVREL_UTF8PROC_INCLUDE OR NOT QUOVREL_UTF8PROC_LIBRARY)
    message(FATAL_ERROR "utf8proc is not found: install it (Debian: apt-get install "
      "libutf8proc-dev).")
  endif()
  target_include_directories(quovrel_utf8proc INTERFACE ${QUOVREL_UTF8PROC_INCLUDE})
  target_link_libraries(quovrel_utf8proc INTERFACE ${QUOVREL_UTF8PROC_LIBRARY})
  return()
endif()

if(NOT EXISTS ${QUOVREL_UTF8PROC_SOURCE}/utf8proc.c OR
   NOT EXISTS ${QUOVREL_UTF8PROC_SOURCE}/utf8proc_data.c)
  message(FATAL_ERROR "The Windows program needs utf8proc's source, and "
    "QUOVREL_UTF8PROC_SOURCE (${QUOVREL_UTF8PROC_SOURCE}) holds no utf8proc.c: unpack it there "
    "(Debian, with deb-src entries: apt-get source utf8proc, then move the utf8proc-* folder) or "
    "point QUOVREL_UTF8PROC_SOURCE at it.")
endif()
enable_language(C)
add_library(quovrel_utf8proc_windows STATIC ${QUOVREL_UTF8PROC_SOURCE}/utf8proc.c)
# Its own warnings are not ours to fix.
target_compile_options(quovrel_utf8proc_windows PRIVATE -w)
# Static: no __declspec(dllimport) in the header.
target_compile_definitions(quovrel_utf8proc_windows PUBLIC UTF8PROC_STATIC)
target_include_directories(quovrel_utf8proc_windows SYSTEM PUBLIC ${QUOVREL_UTF8PROC_SOURCE})
target_link_libraries(quovrel_utf8proc INTERFACE quovrel_utf8proc_windows)
