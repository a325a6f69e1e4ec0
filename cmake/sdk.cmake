# The SDK: what `cmake --install build --prefix P` lays out for a shop that links against the
# library, from the same entry table and headers as the build itself.
#
#   P/include   the public headers
#   P/bin       qx3agapi.dll
#   P/lib       qx3agapi.def, libqx3agapi.dll.a (MinGW), qx3agapi.lib (MSVC), libqx3agapi.so,
#               pkgconfig/qx3agapi.pc, cmake/qx3agapi/ (find_package)
#   P/standin   the stand-in native layer, as DLLs and as shared libraries
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

find_program(QX3_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 REQUIRED)
find_program(QX3_MINGW_DLLTOOL NAMES i686-w64-mingw32-dlltool REQUIRED)

# Import libraries from the module-definition file, which the entry table generates: every export
# name of the DLL, with its ordinal, in both linkers' formats.
set(QX3_DEF ${CMAKE_SOURCE_DIR}/exports)
set(QX3_MSVC_IMPLIB ${CMAKE_BINARY_DIR}/sdk/qx3agapi.lib)
set(QX3_MINGW_IMPLIB ${CMAKE_BINARY_DIR}/sdk/libqx3agapi.dll.a)
add_custom_command(OUTPUT ${QX3_MSVC_IMPLIB} ${QX3_MINGW_IMPLIB}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/sdk
  COMMAND ${QX3_LLVM_DLLTOOL} -m i386 -D qx3agapi.dll -d ${QX3_DEF} -l ${QX3_MSVC_IMPLIB}
  COMMAND ${QX3_MINGW_DLLTOOL} -D qx3agapi.dll -d ${QX3_DEF} -l ${QX3_MINGW_IMPLIB}
  DEPENDS ${QX3_DEF} generated
  COMMENT "Import libraries of qx3agapi.dll for MSVC and MinGW linkers")
add_custom_target(sdk_implibs ALL DEPENDS ${QX3_MSVC_IMPLIB} ${QX3_MINGW_IMPLIB})

configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/sdk/qx3agapiConfig.cmake.in
  ${CMAKE_BINARY_DIR}/sdk/qx3agapiConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/qx3agapi
  PATH_VARS CMAKE_INSTALL_INCLUDEDIR CMAKE_INSTALL_LIBDIR CMAKE_INSTALL_BINDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/sdk/qx3agapiConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
configure_file(${CMAKE_SOURCE_DIR}/cmake/sdk/qx3agapi.pc.in ${CMAKE_BINARY_DIR}/sdk/qx3agapi.pc @ONLY)

file(GLOB QX3_PUBLIC_HEADERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/include/*.h)
install(FILES ${QX3_PUBLIC_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${QX3_DLL} DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS qx3agapi LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${QX3_DEF} DESTINATION ${CMAKE_INSTALL_LIBDIR} RENAME qx3agapi.def)
install(FILES ${QX3_MSVC_IMPLIB} ${QX3_MINGW_IMPLIB} DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${CMAKE_BINARY_DIR}/sdk/qx3agapi.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
install(FILES ${CMAKE_BINARY_DIR}/sdk/qx3agapiConfig.cmake ${CMAKE_BINARY_DIR}/sdk/qx3agapiConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/qx3agapi)
install(TARGETS qx3app qx3sys qx3wint LIBRARY DESTINATION standin)

# ---- Stand-in DLLs: the stand-in native layer as Windows DLLs, for running a client with no
# database installed. Their natives come from the native table, their string arguments from the
# declarations in native/; they need nothing but msvcrt. ----
file(GLOB QX3_NATIVE_HEADERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/native/*.h)
set(includes "")
foreach(h ${QX3_NATIVE_HEADERS})
  get_filename_component(n ${h} NAME)
  string(APPEND includes "#include \"native/${n}\"\n")
endforeach()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/sdk/standin_native_headers.h CONTENT "${includes}")
set(QX3_STANDIN_DLL_SRC ${CMAKE_SOURCE_DIR}/standin/dll)
set(QX3_STANDIN_DLL_FLAGS -std=c++20 -O2 -fno-exceptions -fno-rtti -fno-threadsafe-statics -fno-builtin
  -fno-tree-loop-distribute-patterns -fno-asynchronous-unwind-tables -Wall -Wextra -Werror
  -I${CMAKE_SOURCE_DIR} -I${CMAKE_SOURCE_DIR}/include -I${CMAKE_BINARY_DIR}/sdk
  -shared -nostdlib -nostartfiles -Wl,-e,_DllMain@12 -Wl,--disable-stdcall-fixup -Wl,--no-insert-timestamp -s)
set(QX3_STANDIN_DLLS)
foreach(standin_dll "QX3APP:app.cpp natives.cpp:APP" "QX3SYS:sys.cpp natives.cpp:SYS" "QX3WINT:wint.cpp:NONE")
  string(REPLACE ":" ";" standin_dll ${standin_dll})
  list(GET standin_dll 0 module)
  list(GET standin_dll 1 sources)
  list(GET standin_dll 2 which)
  separate_arguments(sources)
  list(TRANSFORM sources PREPEND ${QX3_STANDIN_DLL_SRC}/)
  set(out ${CMAKE_BINARY_DIR}/standin/${module}.dll)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/standin
    COMMAND i686-w64-mingw32-g++ ${QX3_STANDIN_DLL_FLAGS} -DSTANDIN_MODULE=${which} -o ${out} ${sources} -lmsvcrt -lgcc
    DEPENDS ${sources} ${QX3_STANDIN_DLL_SRC}/trace.h ${QX3_NATIVE_HEADERS} ${CMAKE_SOURCE_DIR}/native/table.inc
    COMMENT "Stand-in ${module}.dll" VERBATIM)
  list(APPEND QX3_STANDIN_DLLS ${out})
endforeach()
add_custom_target(standin_dlls ALL DEPENDS ${QX3_STANDIN_DLLS})
install(FILES ${QX3_STANDIN_DLLS} DESTINATION standin)

# The example client over the DLL and the stand-in DLLs, through the PE loader.
add_executable(dll_client examples/dll_client.cpp)
target_link_libraries(dll_client PRIVATE peloader)
target_include_directories(dll_client PRIVATE include)
target_compile_options(dll_client PRIVATE -Wall -Wextra -Werror)
add_dependencies(dll_client standin_dlls qx3agapi_dll)

# ---- The reference (docs/reference/), generated from the entry table and the headers; the test
# ReferenceIsCurrent fails while the committed pages differ. Regenerate: --target update-reference.
add_executable(genref tools/genref.cpp)
target_include_directories(genref PRIVATE src ${CMAKE_SOURCE_DIR})
# std::regex under AddressSanitizer draws a false maybe-uninitialized warning from the library.
target_compile_options(genref PRIVATE -Wall -Wextra -Werror -Wno-maybe-uninitialized)
add_custom_target(update-reference COMMAND genref ${CMAKE_SOURCE_DIR} --update
  COMMENT "Rewriting docs/reference from the entry-point table and the headers")

# ---- Release: the shared library without the undefined-behaviour traps the tests build in, and
# stripped (the DLL's release settings are in sdk_dll.cmake).
if(QX3_RELEASE)
  get_target_property(opts qx3agapi COMPILE_OPTIONS)
  list(REMOVE_ITEM opts -fsanitize=undefined -fsanitize-undefined-trap-on-error)
  set_target_properties(qx3agapi PROPERTIES COMPILE_OPTIONS "${opts}")
  target_link_options(qx3agapi PRIVATE -s)
endif()
