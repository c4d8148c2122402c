# Builds and runs the consumer program against an installed QvBase with the
# chosen MODE (cmake: find_package; pkgconfig: pkg-config), or with MODE
# qvnf runs the installed qvnf and finds its manual page. The copy used:
#   INSTALLED  the packages installed on this system, under /usr, found
#              with no hint at all;
#   DEBS       these .deb files ('|' between them), unpacked together into
#              a fresh root, never installed; its /usr is the prefix;
#   otherwise  the build tree BUILD_DIR, installed into a fresh prefix.
# The CMake mode also checks that the package refuses another major version.
file(REMOVE_RECURSE ${WORK_DIR})
if(INSTALLED)
  set(prefix /usr)
elseif(DEBS)
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

if(INSTALLED)
  file(MAKE_DIRECTORY ${WORK_DIR})
elseif(DEBS)
  file(MAKE_DIRECTORY ${WORK_DIR}/root)
  string(REPLACE "|" ";" debs "${DEBS}")
  foreach(deb IN LISTS debs)
    run(dpkg-deb -x ${deb} ${WORK_DIR}/root)
  endforeach()
else()
  run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
endif()
# An unpacked or installed copy is found through its qvbase.pc; its
# programs find its library through LD_LIBRARY_PATH, except those that
# CMake builds, which get a run path. The packages installed on the system
# need neither.
if(NOT INSTALLED)
  file(GLOB_RECURSE pc_files ${prefix}/*/qvbase.pc)
  list(GET pc_files 0 pc_file)
  get_filename_component(pc_dir ${pc_file} DIRECTORY)
  get_filename_component(lib_dir ${pc_dir} DIRECTORY)
  if(NOT MODE STREQUAL "cmake")
    set(ENV{LD_LIBRARY_PATH} ${lib_dir})
  endif()
endif()

if(MODE STREQUAL "qvnf")
  run(${prefix}/bin/qvnf --version)
  if(NOT last_output STREQUAL "qvnf ${VERSION}\nQvBase ${VERSION}\n")
    message(FATAL_ERROR "qvnf --version printed:\n${last_output}")
  endif()
  if(INSTALLED)
    run(man -w qvnf)
  else()
    run(man -M ${prefix}/share/man -w qvnf)
  endif()
  if(NOT last_output MATCHES "^${prefix}/share/man/man1/qvnf\\.1(\\.gz)?\n$")
    message(FATAL_ERROR "man -w qvnf found: ${last_output}")
  endif()
  return()
elseif(MODE STREQUAL "cmake")
  set(hint -DCMAKE_PREFIX_PATH=${prefix})
  if(INSTALLED)
    set(hint)
  endif()
  run(${CMAKE_COMMAND} -S ${PROJECT_DIR} -B ${WORK_DIR}/build
      -G ${GENERATOR} -DCMAKE_CXX_COMPILER=${CXX} ${hint})
  run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
  run(${WORK_DIR}/build/consumer)
  set(consumer_output "${last_output}")
  # Another major version, older or newer, is refused.
  foreach(other 0.9 2)
    execute_process(COMMAND ${CMAKE_COMMAND} -S ${PROJECT_DIR}
        -B ${WORK_DIR}/build-${other} -G ${GENERATOR}
        -DCMAKE_CXX_COMPILER=${CXX} ${hint} -DQV_WANT_VERSION=${other}
      RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(rc EQUAL 0 OR NOT out MATCHES "requested version \"${other}\"")
      message(FATAL_ERROR "find_package(QvBase ${other}) was not refused:\n${out}")
    endif()
  endforeach()
  set(last_output "${consumer_output}")
else()
  find_program(PKG_CONFIG pkg-config REQUIRED)
  if(NOT INSTALLED)
    set(ENV{PKG_CONFIG_PATH} ${pc_dir})
  endif()
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
  run(${WORK_DIR}/consumer)
endif()
if(NOT last_output MATCHES "QV_GV_INT_0 = 41")
  message(FATAL_ERROR "unexpected output: ${last_output}")
endif()
