# The message catalogs of the Linux mode: po/LANG.po compiled by msgfmt (--check, so that a
# translation whose "%s" do not match its English text stops the build) into the build folder's
# locale/LANG/LC_MESSAGES/quovrel.mo, where the uninstalled program finds them, and installed
# under share/locale. Without msgfmt the program is built alone and speaks English.
find_program(QUOVREL_MSGFMT msgfmt)
set(QUOVREL_BUILD_LOCALE_DIR ${CMAKE_BINARY_DIR}/locale)
target_compile_definitions(quovrel_core PRIVATE
  QUOVREL_LOCALE_DIR="${CMAKE_INSTALL_FULL_LOCALEDIR}"
  QUOVREL_BUILD_LOCALE_DIR="${QUOVREL_BUILD_LOCALE_DIR}")
if(NOT QUOVREL_MSGFMT)
  message(STATUS "Message catalogs off: msgfmt not found (Debian: apt-get install gettext)")
  return()
endif()
file(GLOB quovrel_po_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/po/*.po)
set(quovrel_catalogs)
foreach(po ${quovrel_po_files})
  get_filename_component(language ${po} NAME_WE)
  set(mo ${QUOVREL_BUILD_LOCALE_DIR}/${language}/LC_MESSAGES/quovrel.mo)
  add_custom_command(OUTPUT ${mo}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QUOVREL_BUILD_LOCALE_DIR}/${language}/LC_MESSAGES
    COMMAND ${QUOVREL_MSGFMT} --check -o ${mo} ${po}
    DEPENDS ${po} VERBATIM)
  list(APPEND quovrel_catalogs ${mo})
  install(FILES ${mo} DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/${language}/LC_MESSAGES)
endforeach()
add_custom_target(quovrel_catalogs ALL DEPENDS ${quovrel_catalogs})
add_dependencies(quovrel quovrel_catalogs)
