# The streaming JSON reader of saved scans (nlohmann-json, header-only), as the target
# quovrel_json_reader. Included by the top-level CMakeLists.txt.
#
# Linux takes the system's headers (Debian: nlohmann-json3-dev). The Windows cross build takes
# the same headers, copied alone into its build folder: pointing it at /usr/include would hand it
# the whole of the Linux system's headers.
add_library(quovrel_json_reader INTERFACE)
if(WIN32)
  set(QUOVREL_JSON_HEADERS "/usr/include/nlohmann" CACHE PATH
    "The folder of nlohmann/json.hpp that the Windows program is compiled with")
  if(NOT EXISTS ${QUOVREL_JSON_HEADERS}/json.hpp)
    message(FATAL_ERROR "nlohmann-json is not found in ${QUOVREL_JSON_HEADERS}: install it "
      "(Debian: apt-get install nlohmann-json3-dev).")
  endif()
  file(COPY ${QUOVREL_JSON_HEADERS}/ DESTINATION ${CMAKE_BINARY_DIR}/json_reader/nlohmann)
  target_include_directories(quovrel_json_reader INTERFACE ${CMAKE_BINARY_DIR}/json_reader)
else()
  find_path(QUOVREL_JSON_INCLUDE nlohmann/json.hpp)
  if(NOT QUOVREL_JSON_INCLUDE)
    message(FATAL_ERROR "nlohmann-json is not found: install it (Debian: apt-get install "
      "nlohmann-json3-dev).")
  endif()
  target_include_directories(quovrel_json_reader INTERFACE ${QUOVREL_JSON_INCLUDE})
endif()
