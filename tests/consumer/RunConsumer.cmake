# Installs the built library into a fresh prefix, then builds and runs the
# consumer program against that prefix with the chosen MODE.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc
                  OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    string(REPLACE ";" " " cmd "${ARGN}")
    message(FATAL_ERROR "failed (${rc}): ${cmd}\n${out}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

if(MODE STREQUAL "cmake")
  run(${CMAKE_COMMAND} -S ${PROJECT_DIR} -B ${WORK_DIR}/build
      -G ${GENERATOR} -DCMAKE_CXX_COMPILER=${CXX}
      -DCMAKE_PREFIX_PATH=${prefix})
  run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
  run(${WORK_DIR}/build/consumer)
else()
  find_program(PKG_CONFIG pkg-config REQUIRED)
  file(GLOB_RECURSE pc_files ${prefix}/*/qvbase.pc)
  list(GET pc_files 0 pc_file)
  get_filename_component(pc_dir ${pc_file} DIRECTORY)
  set(ENV{PKG_CONFIG_PATH} ${pc_dir})
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
