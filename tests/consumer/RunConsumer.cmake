# Installs the built library into a fresh prefix (or, given DEB, unpacks
# that package into a fresh root and takes its /usr), then builds and runs
# the consumer program against that prefix with the chosen MODE. The CMake
# mode also checks that the package refuses another major version.
file(REMOVE_RECURSE ${WORK_DIR})
if(DEB)
  set(prefix ${WORK_DIR}/root/usr)
else()
  set(prefix ${WORK_DIR}/prefix)
endif()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc
                  OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    string(REPLACE ";" " " cmd "${ARGN}")
    message(FATAL_ERROR "failed (${rc}): ${cmd}\n${out}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

if(DEB)
  file(MAKE_DIRECTORY ${WORK_DIR}/root)
  run(dpkg-deb -x ${DEB} ${WORK_DIR}/root)
  # The packaged qvnf finds the packaged library by its run path.
  run(${prefix}/bin/qvnf --help)
else()
  run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
endif()

if(MODE STREQUAL "cmake")
  run(${CMAKE_COMMAND} -S ${PROJECT_DIR} -B ${WORK_DIR}/build
      -G ${GENERATOR} -DCMAKE_CXX_COMPILER=${CXX}
      -DCMAKE_PREFIX_PATH=${prefix})
  run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
  run(${WORK_DIR}/build/consumer)
  set(consumer_output "${last_output}")
  # Another major version, older or newer, is refused.
  foreach(other 0.9 2)
    execute_process(COMMAND ${CMAKE_COMMAND} -S ${PROJECT_DIR}
        -B ${WORK_DIR}/build-${other} -G ${GENERATOR}
        -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix}
        -DQV_WANT_VERSION=${other}
      RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(rc EQUAL 0 OR NOT out MATCHES "requested version \"${other}\"")
      message(FATAL_ERROR "find_package(QvBase ${other}) was not refused:\n${out}")
    endif()
  endforeach()
  set(last_output "${consumer_output}")
else()
  find_program(PKG_CONFIG pkg-config REQUIRED)
  file(GLOB_RECURSE pc_files ${prefix}/*/qvbase.pc)
  list(GET pc_files 0 pc_file)
  get_filename_component(pc_dir ${pc_file} DIRECTORY)
  set(ENV{PKG_CONFIG_PATH} ${pc_dir})
  run(${PKG_CONFIG} --modversion qvbase)
  string(STRIP "${last_output}" pc_version)
  if(VERSION AND NOT pc_version STREQUAL VERSION)
    message(FATAL_ERROR "qvbase.pc gives version ${pc_version}, not ${VERSION}")
  endif()
  run(${PKG_CONFIG} --cflags --libs qvbase)
  string(STRIP "${last_output}" flags)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  run(${CXX} -std=c++17 ${PROJECT_DIR}/main.cpp -o ${WORK_DIR}/consumer
      ${flags})
  get_filename_component(lib_dir ${pc_dir} DIRECTORY)
  set(ENV{LD_LIBRARY_PATH} ${lib_dir})
  run(${WORK_DIR}/consumer)
endif()
if(NOT last_output MATCHES "QV_GV_INT_0 = 41")
  message(FATAL_ERROR "unexpected output: ${last_output}")
endif()
