// Where this build keeps what the tests use: the checkout, the shared sample
// data, the build tree and the programs it makes.
//
// The build writes these paths into one generated source of this library
// (build_paths_values.cpp in the build tree), not into the flags every test
// file is compiled with: a test file then compiles to the same object in every
// checkout, and the compiler cache serves a fresh clone or a second worktree
// from what another one built. Every test file sees the names below (the test
// programs are compiled with this header included first).
#pragma once

#include <string_view>

namespace host::testing {

// The path the build gave `name` (one of the names below), as text that
// lives as long as the program; "" for a name it does not know. It allocates
// nothing, so a child process may call it between fork and exec.
const char* BuildPath(std::string_view name);

}  // namespace host::testing

// The checkout, the shared sample data (VARNEL_SHARED, else "shared" beside
// the checkout) and the build tree.
#define VARNEL_SOURCE_DIR (::host::testing::BuildPath("VARNEL_SOURCE_DIR"))
#define VARNEL_SHARED_DIR (::host::testing::BuildPath("VARNEL_SHARED_DIR"))
#define VARNEL_BINARY_DIR (::host::testing::BuildPath("VARNEL_BINARY_DIR"))
// The programs: the stand-in host, the add-in the host's tests load, the four
// add-ins (and all four, ':'-separated), and cmake itself.
#define CADHOST_PATH (::host::testing::BuildPath("CADHOST_PATH"))
#define TEST_ADDIN_PATH (::host::testing::BuildPath("TEST_ADDIN_PATH"))
#define VARNEL_PATH (::host::testing::BuildPath("VARNEL_PATH"))
#define CORVEX_PATH (::host::testing::BuildPath("CORVEX_PATH"))
#define PLIMSOR_PATH (::host::testing::BuildPath("PLIMSOR_PATH"))
#define DELIVERABLE_PATHS (::host::testing::BuildPath("DELIVERABLE_PATHS"))
#define CMAKE_COMMAND_PATH (::host::testing::BuildPath("CMAKE_COMMAND_PATH"))
