# Helpers that keep every folder's CMakeLists short and alike.

# project_library(<name> SOURCES ... [DEPS ...])
# A static library whose headers are included by their path from the
# repository root ("common/grow_array.h").
function(project_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# project_tests(<name> SOURCES ... [DEPS ...])
# One GoogleTest executable; its cases are listed to CTest when CTest runs.
function(project_tests name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    VARNEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VARNEL_SHARED_DIR="${VARNEL_SHARED_DIR}"
    VARNEL_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "VARNEL_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

# project_addin(<name> SOURCES ... [DEPS ...])
# A deliverable: a shared library exporting acrxEntryPoint and
# acrxGetApiVersion, loaded by the host with dlopen.
function(project_addin name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  if(ARG_DEPS)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  endif()
endfunction()
