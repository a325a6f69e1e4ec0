# The i386 Linux build: the generated tables, the stand-in native layer, libqx3agapi.so, the DLL
# (through its own cross build), the example client and the tests.
include(ExternalProject)

# AddressSanitizer (preset asan): everything built here, the shared library included, is
# instrumented; the DLL's cross build is not. Leak detection cannot run under qemu-i386, so the
# preset turns it off (ASAN_OPTIONS=detect_leaks=0); any other report fails the run. The test
# preset also lets a refused allocation come back empty, as the tests of oversized lists expect
# (allocator_may_return_null=1), and keeps the emulated process below 3 GiB (QEMU_RESERVED_VA),
# the address space the sanitizer assumes of a 32-bit process and shadows.
option(QX3_ASAN "Build with AddressSanitizer" OFF)
if(QX3_ASAN)
  add_compile_options(-fsanitize=address -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address)
endif()

set(QX3_GEN_DIR ${CMAKE_BINARY_DIR}/gen)
file(MAKE_DIRECTORY ${QX3_GEN_DIR})

# ---- Generated files: checked against the committed `exports` on every build ----
add_executable(gendef tools/gendef.cpp)
target_include_directories(gendef PRIVATE src ${CMAKE_SOURCE_DIR})
target_compile_options(gendef PRIVATE -Wall -Wextra -Werror)
set(QX3_GENERATED
  ${QX3_GEN_DIR}/exports ${QX3_GEN_DIR}/qx3agapi.ver ${QX3_GEN_DIR}/qx3agapi.syms
  ${QX3_GEN_DIR}/QX3APP.def ${QX3_GEN_DIR}/QX3SYS.def ${QX3_GEN_DIR}/QX3WINT.def)
add_custom_command(OUTPUT ${QX3_GENERATED}
  COMMAND gendef ${QX3_GEN_DIR} ${CMAKE_SOURCE_DIR}/exports
  DEPENDS gendef ${CMAKE_SOURCE_DIR}/exports
  COMMENT "Generating the export and import definitions from the entry-point table")
add_custom_target(generated ALL DEPENDS ${QX3_GENERATED})
add_custom_target(update-exports
  COMMAND gendef ${QX3_GEN_DIR} ${CMAKE_SOURCE_DIR}/exports --update
  COMMENT "Rewriting exports from the entry-point table")

# ---- The stand-in native layer: three shared libraries, as the real ones would be ----
set(QX3_TEST_FLAGS -Wall -Wextra -Werror -fsanitize=undefined -fno-sanitize-recover=all)
add_library(qx3sys SHARED standin/sys.cpp)
file(GLOB QX3_STANDIN_NATIVES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/standin/natives/*.cpp)
add_library(qx3app SHARED standin/app.cpp ${QX3_STANDIN_NATIVES})
add_library(qx3wint SHARED standin/wint.cpp)
foreach(t qx3sys qx3app qx3wint)
  target_include_directories(${t} PRIVATE standin include ${CMAKE_SOURCE_DIR})
  target_compile_options(${t} PRIVATE ${QX3_TEST_FLAGS} -fvisibility=hidden)
  target_link_options(${t} PRIVATE -fsanitize=undefined)
endforeach()
target_link_libraries(qx3app PUBLIC qx3sys)
target_link_libraries(qx3wint PUBLIC qx3sys)

# ---- libqx3agapi.so: the same sources; exports only what the version script names ----
add_library(qx3agapi SHARED ${QX3_SOURCES})
add_dependencies(qx3agapi generated)
target_include_directories(qx3agapi PUBLIC include PRIVATE src ${CMAKE_SOURCE_DIR})
# Undefined behaviour traps instead of calling a runtime: the library stays freestanding.
target_compile_options(qx3agapi PRIVATE ${QX3_FREESTANDING_FLAGS} -fvisibility=hidden
  -fsanitize=undefined -fsanitize-undefined-trap-on-error)
target_link_options(qx3agapi PRIVATE -Wl,--version-script=${QX3_GEN_DIR}/qx3agapi.ver -Wl,--no-undefined)
set_target_properties(qx3agapi PROPERTIES LINKER_LANGUAGE C LINK_DEPENDS ${QX3_GEN_DIR}/qx3agapi.ver)
target_link_libraries(qx3agapi PRIVATE qx3app qx3sys qx3wint)

# ---- qx3agapi.dll: the same tree, cross-built with mingw-w64 ----
ExternalProject_Add(qx3agapi_dll
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/dll
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-i686.cmake
    -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
    -DQX3_GEN_DIR=${QX3_GEN_DIR}
    -DQX3_RELEASE=${QX3_RELEASE}
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${CMAKE_BINARY_DIR}/dll/qx3agapi.dll
  DEPENDS generated)
set(QX3_DLL ${CMAKE_BINARY_DIR}/dll/qx3agapi.dll)

# ---- The PE loader: maps qx3agapi.dll into an i386 Linux process and binds its imports ----
add_library(peloader STATIC tools/peloader/peloader.cpp)
target_include_directories(peloader PUBLIC tools)
target_compile_options(peloader PRIVATE ${QX3_TEST_FLAGS})
target_link_options(peloader PUBLIC -fsanitize=undefined)

# ---- Example client and tests ----
add_executable(client examples/client.cpp)
target_link_libraries(client PRIVATE qx3agapi qx3app qx3sys)
target_include_directories(client PRIVATE standin)
target_compile_options(client PRIVATE -Wall -Wextra -Werror)

enable_testing()
if(QX3_RELEASE)
  add_subdirectory(tests/release)
else()
  add_subdirectory(tests)
endif()
include(cmake/sdk.cmake)
