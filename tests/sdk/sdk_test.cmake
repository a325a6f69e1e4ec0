# SDK checks, run by CTest against the installed prefix:
#   cmake -DSTEP=<step> -DBUILD=<build dir> -DSRC=<source dir> -DPREFIX=<prefix> [-DVIA=...] -P sdk_test.cmake
# Steps: install, consumer, msvc, headers.
cmake_minimum_required(VERSION 3.25)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    string(REPLACE ";" " " cmd "${ARGN}")
    message(FATAL_ERROR "failed (${rc}): ${cmd}\n${out}\n${err}")
  endif()
  set(OUT "${out}" PARENT_SCOPE)
endfunction()

if(STEP STREQUAL "install")
  file(REMOVE_RECURSE ${PREFIX})
  run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX})
  set(want bin/qx3agapi.dll lib/qx3agapi.def lib/libqx3agapi.dll.a lib/qx3agapi.lib lib/libqx3agapi.so
      lib/pkgconfig/qx3agapi.pc lib/cmake/qx3agapi/qx3agapiConfig.cmake
      lib/cmake/qx3agapi/qx3agapiConfigVersion.cmake
      standin/QX3APP.dll standin/QX3SYS.dll standin/QX3WINT.dll
      standin/libqx3app.so standin/libqx3sys.so standin/libqx3wint.so)
  file(GLOB headers RELATIVE ${SRC}/include ${SRC}/include/*.h)
  foreach(h ${headers})
    list(APPEND want include/${h})
  endforeach()
  foreach(f ${want})
    if(NOT EXISTS ${PREFIX}/${f})
      message(FATAL_ERROR "missing from the installed SDK: ${f}")
    endif()
  endforeach()
  # What is installed is what was built, not a stale copy.
  file(SHA256 ${BUILD}/dll/qx3agapi.dll a)
  file(SHA256 ${PREFIX}/bin/qx3agapi.dll b)
  if(NOT a STREQUAL b)
    message(FATAL_ERROR "installed qx3agapi.dll differs from the built one")
  endif()
  file(READ ${PREFIX}/lib/qx3agapi.def def)
  file(READ ${SRC}/exports committed)
  if(NOT def STREQUAL committed)
    message(FATAL_ERROR "installed qx3agapi.def differs from exports")
  endif()

elseif(STEP STREQUAL "consumer")
  set(bin ${PREFIX}-consumer-${VIA})
  file(REMOVE_RECURSE ${bin})
  run(${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${PREFIX}/lib/pkgconfig PKG_CONFIG_LIBDIR=${PREFIX}/lib/pkgconfig
      ${CMAKE_COMMAND} -S ${SRC}/tests/sdk/consumer -B ${bin} -G Ninja
      -DCMAKE_TOOLCHAIN_FILE=${SRC}/cmake/linux-i386.cmake -DQX3_VIA=${VIA}
      -DCMAKE_PREFIX_PATH=${PREFIX} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
      -DCMAKE_EXE_LINKER_FLAGS=-Wl,-rpath-link,${PREFIX}/standin)
  run(${CMAKE_COMMAND} --build ${bin})
  # The compile line names the installed headers, never the source tree.
  run(ninja -C ${bin} -t commands consumer)
  if(NOT OUT MATCHES "(-I|-isystem )${PREFIX}/[^ ]*include")
    message(FATAL_ERROR "consumer not compiled against ${PREFIX}/include:\n${OUT}")
  endif()
  # The prefix (and the consumer's own build beside it) lies under the build tree here: take it out
  # of the line before looking for anything else of the build tree.
  string(REPLACE "${PREFIX}" "" outside "${OUT}")
  if(outside MATCHES "${SRC}/include" OR outside MATCHES "${BUILD}/")
    message(FATAL_ERROR "consumer reached into the source or build tree:\n${OUT}")
  endif()
  file(REMOVE ${bin}/trace.txt)
  run(qemu-i386 -E LD_LIBRARY_PATH=${PREFIX}/lib:${PREFIX}/standin -E QX3_STANDIN_TRACE=${bin}/trace.txt
      ${bin}/consumer)
  if(NOT OUT MATCHES "sqlgrdb returned 0, sqlcode 0, buffer intact")
    message(FATAL_ERROR "consumer: ${OUT}")
  endif()
  file(READ ${bin}/trace.txt trace)
  if(NOT trace MATCHES "sqlfrdb\\(0x[0-9a-f]+ \"SAMPLE\", 0x[0-9a-f]+\\)")
    message(FATAL_ERROR "the native did not see the alias SAMPLE:\n${trace}")
  endif()

elseif(STEP STREQUAL "msvc")
  set(dir ${PREFIX}-msvc)
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir})
  run(clang --target=i686-pc-windows-msvc -I${PREFIX}/include -Wall -Wextra -Werror
      -c ${SRC}/tests/sdk/msvc_link.c -o ${dir}/msvc_link.obj)
  run(lld-link /nologo /nodefaultlib /entry:mainCRTStartup /subsystem:console
      ${dir}/msvc_link.obj ${PREFIX}/lib/qx3agapi.lib /out:${dir}/msvc_link.exe)
  run(llvm-readobj --coff-imports ${dir}/msvc_link.exe)
  string(REGEX MATCHALL "Symbol: [^ \n]+ \\([0-9]+\\)" imported "${OUT}")
  run(i686-w64-mingw32-objdump -p ${PREFIX}/bin/qx3agapi.dll)
  set(exports "${OUT}")
  string(REGEX MATCH "Ordinal Base[ \t]+([0-9]+)" _ "${exports}")
  set(base ${CMAKE_MATCH_1})
  set(seen "")
  foreach(sym ${imported})
    string(REGEX REPLACE "Symbol: ([^ ]+) \\(([0-9]+)\\)" "\\1;\\2" sym "${sym}")
    list(GET sym 0 name)
    list(GET sym 1 hint)
    # The name must be a real export of the shipped DLL, and its hint the ordinal it has there.
    math(EXPR slot "${hint} - ${base}")
    if(NOT exports MATCHES "\\[ *${slot}\\] ${name}\n")
      message(FATAL_ERROR "msvc_link.exe imports ${name} (hint ${hint}), which qx3agapi.dll does not export so")
    endif()
    list(APPEND seen ${name})
  endforeach()
  if(NOT "sqlgrdb@12" IN_LIST seen OR NOT "SQLGRDB" IN_LIST seen)
    message(FATAL_ERROR "expected imports sqlgrdb@12 and SQLGRDB, got: ${seen}")
  endif()

elseif(STEP STREQUAL "standin")
  # The client links no stand-in shared library: every native it reaches is in a stand-in DLL.
  run(readelf -d ${CLIENT})
  if(OUT MATCHES "libqx3")
    message(FATAL_ERROR "dll_client links the shared stand-in:\n${OUT}")
  endif()
  set(trace ${PREFIX}-standin-trace.txt)
  file(REMOVE ${trace})
  run(qemu-i386 -E QX3_STANDIN_TRACE=${trace} ${CLIENT} ${PREFIX}/bin ${PREFIX}/standin)
  set(out "${OUT}")
  if(NOT out MATCHES "bound: [1-9][0-9]* to QX3SYS.dll, [0-9]+ to QX3WINT.dll, [1-9][0-9]* to QX3APP.dll"
     OR NOT out MATCHES "sqlgrdb returned 0, sqlcode 0\n"
     OR NOT out MATCHES "sqlgatin returned 0, sqlcode 0\n"
     OR NOT out MATCHES "buffers given back byte for byte")
    message(FATAL_ERROR "dll_client:\n${out}")
  endif()
  file(READ ${trace} seen)
  # What the natives saw, strings terminated at their lengths; sqleatin_api takes them last first.
  foreach(line "sqlo_create_init_app_data\\(0x8e8215\\)"
               "sqlfrdb\\(0x[0-9a-f]+ \"SAMPLE\", 0x[0-9a-f]+\\)"
               "sqleatin_api\\(0x[0-9a-f]+ \"SECRET\", 0x[0-9a-f]+ \"USERA\", 0x[0-9a-f]+ \"NODE1\", 0x[0-9a-f]+\\)")
    if(NOT seen MATCHES "${line}")
      message(FATAL_ERROR "trace lacks ${line}:\n${seen}")
    endif()
  endforeach()

elseif(STEP STREQUAL "fortran")
  set(dir ${PREFIX}-fortran)
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir})
  set(f ${SRC}/examples/fortran)
  run(gfortran -m32 -Wall -Werror -J${dir} -o ${dir}/client ${f}/qx3agapi.f90 ${f}/client.f90
      -L${PREFIX}/lib -lqx3agapi -Wl,-rpath-link,${PREFIX}/standin)
  run(qemu-i386 -E LD_LIBRARY_PATH=${PREFIX}/lib:${PREFIX}/standin -E QX3_STANDIN_TRACE=${dir}/trace.txt ${dir}/client)
  if(NOT OUT MATCHES "sqlgrdb returned 0, sqlcode 0\n" OR NOT OUT MATCHES "parameter 105: \\[[^]#]+ \\]"
     OR NOT OUT MATCHES "open returned 0, 3 entries\n  entry 1: alias [A-Z0-9]+\n  entry 2: alias [A-Z0-9]+\n  entry 3: alias"
     OR NOT OUT MATCHES "close returned 0, path afterwards: \\[C:\\*\\*\\]"
     OR NOT OUT MATCHES "qx3gExport returned 0, sqlcode 0\n"
     OR NOT OUT MATCHES "all variables given back as they were")
    message(FATAL_ERROR "Fortran client:\n${OUT}")
  endif()
  file(READ ${dir}/trace.txt seen)
  foreach(line "sqlfrdb\\(0x[0-9a-f]+ \"SAMPLE\", " "sqlfxdb\\(0x[0-9a-f]+ \"SAMPLE\", 0x1, "
               "sqleatin_api\\(0x[0-9a-f]+ \"S3CRET\", 0x[0-9a-f]+ \"OPERATOR\", 0x[0-9a-f]+ \"NODE7\", "
               "qx3DbDirOpenScan\\(0x7a6020, 0x[0-9a-f]+, 0x[0-9a-f]+, 0x[0-9a-f]+ \"C:\"\\)"
               "qx3Export\\(0x895440, 0x[0-9a-f]+, 0x[0-9a-f]+\\)")
    if(NOT seen MATCHES "${line}")
      message(FATAL_ERROR "trace lacks ${line}:\n${seen}")
    endif()
  endforeach()
  # The same sources with the MinGW Fortran compiler, linked against the MinGW import library: the
  # stdcall names it emits must be exports of the DLL.
  find_program(MINGW_FC i686-w64-mingw32-gfortran)
  if(MINGW_FC)
    run(${MINGW_FC} -Wall -Werror -J${dir} -o ${dir}/client.exe ${f}/qx3agapi.f90 ${f}/client.f90
        -L${PREFIX}/lib -lqx3agapi)
    run(i686-w64-mingw32-objdump -p ${dir}/client.exe)
    foreach(name sqlgrdb@12 sqlgxdb@20 sqlgatin@28 qx3gDbDirOpenScan@12 qx3gDbDirGetNextEntry@12 qx3gDbDirCloseScan@12 qx3gExport@12)
      if(NOT OUT MATCHES "[0-9]+  ${name}\n")
        message(FATAL_ERROR "client.exe does not import ${name}:\n${OUT}")
      endif()
    endforeach()
  endif()

elseif(STEP STREQUAL "headers")
  file(GLOB headers ${PREFIX}/include/*.h)
  set(dir ${PREFIX}-headers)
  file(MAKE_DIRECTORY ${dir})
  foreach(h ${headers})
    get_filename_component(n ${h} NAME_WE)
    file(WRITE ${dir}/${n}.c "#include \"${h}\"\n")
    file(WRITE ${dir}/${n}.cpp "#include \"${h}\"\n")
    run(gcc -m32 -std=c99 -pedantic -Wall -Wextra -Werror -fsyntax-only ${dir}/${n}.c)
    run(g++ -m32 -std=c++11 -pedantic -Wall -Wextra -Werror -fsyntax-only ${dir}/${n}.cpp)
    run(clang --target=i686-pc-windows-msvc -std=c99 -Wall -Wextra -Werror -fsyntax-only ${dir}/${n}.c)
    run(clang++ --target=i686-pc-windows-msvc -std=c++14 -Wall -Wextra -Werror -fsyntax-only ${dir}/${n}.cpp)
  endforeach()
else()
  message(FATAL_ERROR "unknown STEP ${STEP}")
endif()
