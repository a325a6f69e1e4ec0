# qx3agapi.dll: PE32 i386, stdcall exports from the generated `exports` file, imports only from the
# native layer, KERNEL32 and msvcrt; libgcc linked in statically.
if(NOT QX3_GEN_DIR)
  message(FATAL_ERROR "QX3_GEN_DIR must name the directory of the generated import definitions")
endif()

# Import libraries of the native layer, from the definitions generated from the native table.
set(QX3_IMPORT_LIBS)
foreach(module QX3APP QX3SYS QX3WINT)
  string(TOLOWER ${module} lower)
  set(lib ${CMAKE_BINARY_DIR}/lib${lower}.a)
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_DLLTOOL} -d ${QX3_GEN_DIR}/${module}.def -l ${lib} -k
    DEPENDS ${QX3_GEN_DIR}/${module}.def
    COMMENT "Import library for ${module}.dll")
  list(APPEND QX3_IMPORT_LIBS ${lib})
endforeach()
add_custom_target(import_libs DEPENDS ${QX3_IMPORT_LIBS})

# The linker knows a module-definition file by its extension.
configure_file(${CMAKE_SOURCE_DIR}/exports ${CMAKE_BINARY_DIR}/qx3agapi.def COPYONLY)
add_library(qx3agapi SHARED ${QX3_SOURCES} src/frame/dllmain.cpp ${CMAKE_BINARY_DIR}/qx3agapi.def)
set_target_properties(qx3agapi PROPERTIES PREFIX "" OUTPUT_NAME qx3agapi
  LINK_DEPENDS "${QX3_IMPORT_LIBS}")
add_dependencies(qx3agapi import_libs)
target_include_directories(qx3agapi PRIVATE include src ${CMAKE_SOURCE_DIR})
target_compile_options(qx3agapi PRIVATE ${QX3_FREESTANDING_FLAGS})
target_link_options(qx3agapi PRIVATE
  -nostdlib -nostartfiles -Wl,-e,_DllMain@12 -Wl,--disable-stdcall-fixup)
target_link_libraries(qx3agapi PRIVATE ${QX3_IMPORT_LIBS} kernel32 msvcrt gcc)
include(cmake/sdk_dll.cmake)
