# Helpers that keep every folder's CMakeLists short and alike. Sources are
# found by globbing, so adding a file needs no edit here: a folder's *.cpp
# make its library, its tests/*.cpp its test executable.

# project_library(<name> [DEPS ...] [EXCLUDE file.cpp ...])
# The library of the current folder; its headers are included by their path
# from the repository root ("common/containers/grow_array.h"). A folder without sources
# yet gives an interface library. EXCLUDE leaves out files that belong to
# another target of the folder (an add-in's entry point).
function(project_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    if(ARG_DEPS)
      target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    endif()
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    if(ARG_DEPS)
      target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    endif()
  endif()
endfunction()

# project_tests(<name> [DEPS ...])
# One GoogleTest executable from the folder's tests/*.cpp; its cases are
# listed to CTest when CTest runs. Every test executable links host_testing,
# whose host::ResetForTest the fixtures call.
function(project_tests name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} host_testing GTest::gtest GTest::gtest_main GTest::gmock)
  # Each test file sees where the build keeps the checkout, the sample data
  # and the programs (VARNEL_SOURCE_DIR, CADHOST_PATH, ...) through this
  # header, whose values are compiled once into host_testing: no test file's
  # flags name a path of this checkout, so the compiler cache serves them to
  # every checkout.
  target_compile_options(${name} PRIVATE -include host/testing/build_paths.h)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
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
