# The manual page and the package's documents as Debian lays them out, and the CPack settings of
# the Debian package. Included by the top-level CMakeLists.txt on Linux.

# Debian keeps manual pages and changelogs gzipped at the highest level, with no file name or time
# in the header (-n), so that the same sources make the same package.
find_program(QUOVREL_GZIP gzip REQUIRED)
set(quovrel_gzipped)
foreach(source docs/quovrel.1 packaging/debian/changelog)
  get_filename_component(name ${source} NAME)
  set(output ${PROJECT_BINARY_DIR}/${name}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND sh -c "exec \"$0\" -9nc \"$1\" >\"$2\"" ${QUOVREL_GZIP} ${PROJECT_SOURCE_DIR}/${source} ${output}
    DEPENDS ${PROJECT_SOURCE_DIR}/${source} VERBATIM)
  list(APPEND quovrel_gzipped ${output})
endforeach()
add_custom_target(quovrel_gzipped_documents ALL DEPENDS ${quovrel_gzipped})
install(FILES ${PROJECT_BINARY_DIR}/quovrel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quovrel)
set(CPACK_PACKAGE_VERSION 2.03)
# The address also signs packaging/debian/changelog and heads packaging/debian/copyright.
set(CPACK_PACKAGE_CONTACT "quovrel developers <quovrel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "chart the folder structure of a path as a text tree")
# Lines of at most 80 columns: CPack indents them but does not wrap them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "quovrel walks the folder hierarchy below a path and prints it as a tree: one"
  "line per folder and, on request, one per file, with file sizes, last-write"
  "times, the count and bytes of each folder's files, cumulative totals, and the"
  "entries ordered by name, extension, size or time."
  ""
  "Its output is code page 932 (Shift_JIS) text with CR LF line ends, as a"
  "Japanese Windows console expects; on a UTF-8 terminal it shows the same chart"
  "in UTF-8.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# The library dependencies come from dpkg-shlibdeps where it is installed (dpkg-dev).
find_program(QUOVREL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(QUOVREL_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6")
  if(QUOVREL_SANITIZE)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libstdc++6, libgcc-s1")
  endif()
endif()
include(CPack)
