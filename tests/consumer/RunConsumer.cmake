# Builds and runs the consumer program (tests/consumer/project/main.cpp:
# writes and reads a colour table, formats a string, compares the loaded
# library's version with its headers') in one of the ways of taking QvBase:
#   cmake         find_package(QvBase CONFIG) of an installed copy
#   pkgconfig     pkg-config qvbase, compiled by hand
#   meson         dependency('qvbase') in a Meson project
#   subproject    add_subdirectory(SOURCE_DIR) in a parent project that hides
#                 the test libraries (CMAKE_DISABLE_FIND_PACKAGE_<name>):
#                 QvBase brings two targets and no test
#   fetchcontent  FetchContent from a file:// git repository made from
#                 SOURCE_DIR
#   sidebyside    this static build and a shared one of SOURCE_DIR installed
#                 into one prefix; find_package takes either
#   examples      each folder of SOURCE_DIR/examples built on its own
#                 against an installed copy; the store example runs
# or, with MODE qvnf, runs the installed qvnf and finds its manual page.
# The installed copy used by cmake, pkgconfig, meson and qvnf:
#   INSTALLED  the packages installed on this system, under /usr, found
#              with no hint at all;
#   DEBS       these .deb files ('|' between them), unpacked together into
#              a fresh root, never installed; its /usr is the prefix;
#   otherwise  the build tree BUILD_DIR, installed into a fresh prefix.
# STATIC says that copy is a static library. The CMake mode also checks
# that the package refuses another major version.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
if(INSTALLED)
  set(prefix /usr)
elseif(DEBS)
  set(prefix ${WORK_DIR}/root/usr)
else()
  set(prefix ${WORK_DIR}/prefix)
endif()
set(expected "2 colours, blue at 0.5; QvBase ${VERSION}")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc
                  OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    string(REPLACE ";" " " cmd "${ARGN}")
    message(FATAL_ERROR "failed (${rc}): ${cmd}\n${out}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()
# Runs the consumer program and checks what it printed.
function(run_consumer program)
  run(${program} ${WORK_DIR})
  if(NOT last_output MATCHES "${expected}")
    message(FATAL_ERROR "${program} printed:\n${last_output}")
  endif()
  message(STATUS "${MODE}: ${last_output}")
endfunction()
# Configures, builds and runs a CMake project with the consumer program.
function(cmake_consumer source build)
  run(${CMAKE_COMMAND} -S ${source} -B ${build} -G ${GENERATOR}
      -DCMAKE_CXX_COMPILER=${CXX} ${ARGN})
  set(last_output "${last_output}" PARENT_SCOPE)
  run(${CMAKE_COMMAND} --build ${build})
  run_consumer(${build}/consumer)
endfunction()
# A program linked with a static QvBase needs no libQvBase at run time.
function(check_static program static)
  find_program(READELF readelf REQUIRED)
  run(${READELF} -d ${program})
  if(static AND last_output MATCHES "libQvBase")
    message(FATAL_ERROR "${program} links a shared QvBase:\n${last_output}")
  elseif(NOT static AND NOT last_output MATCHES "libQvBase")
    message(FATAL_ERROR "${program} does not link the shared QvBase")
  endif()
endfunction()

if(MODE STREQUAL "subproject" OR MODE STREQUAL "fetchcontent")
  # Only a compiler and OpenGL: every other package QvBase's own tests,
  # benchmarks and tools use is hidden from the parent.
  set(hide)
  foreach(name GTest benchmark CLI11 nlohmann_json)
    list(APPEND hide -DCMAKE_DISABLE_FIND_PACKAGE_${name}=ON)
  endforeach()
  if(MODE STREQUAL "fetchcontent")
    # A git repository of the sources as they are, committed once.
    set(repo ${WORK_DIR}/repo)
    file(GLOB entries LIST_DIRECTORIES true ${SOURCE_DIR}/*
         ${SOURCE_DIR}/.clang-format ${SOURCE_DIR}/.gitignore)
    list(FILTER entries EXCLUDE REGEX "/(build[^/]*|\\.git|\\.cache|obj-[^/]*)$")
    file(COPY ${entries} DESTINATION ${repo})
    find_program(GIT git REQUIRED)
    set(git ${GIT} -C ${repo} -c user.name=QvBase -c user.email=qv@qvbase.invalid)
    run(${git} init -q)
    run(${git} add -A)
    run(${git} commit -q -m sources)
    run(${git} rev-parse HEAD)
    string(STRIP "${last_output}" commit)
    set(from -DQVBASE_GIT=file://${repo} -DQVBASE_GIT_TAG=${commit})
  else()
    set(from -DQVBASE_SOURCE_DIR=${SOURCE_DIR})
  endif()
  cmake_consumer(${PROJECT_DIR}/../subproject ${WORK_DIR}/build ${hide} ${from})
  if(NOT last_output MATCHES "QvBase targets in the parent: 2\n")
    message(FATAL_ERROR "QvBase did not bring two targets:\n${last_output}")
  endif()
  # None of QvBase's tests, and no C compiler nor documentation folder in
  # the parent's cache.
  run(${CMAKE_CTEST_COMMAND} --test-dir ${WORK_DIR}/build -N)
  if(NOT last_output MATCHES "Total Tests: 0")
    message(FATAL_ERROR "QvBase added tests to the parent:\n${last_output}")
  endif()
  file(STRINGS ${WORK_DIR}/build/CMakeCache.txt cache
       REGEX "^(CMAKE_C_COMPILER|CMAKE_INSTALL_DOCDIR)[:=]")
  if(cache)
    message(FATAL_ERROR "QvBase changed the parent's cache: ${cache}")
  endif()
  return()
endif()

if(INSTALLED)
  # nothing to install
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
  if(NOT MODE STREQUAL "cmake" AND NOT MODE STREQUAL "sidebyside")
    set(ENV{LD_LIBRARY_PATH} ${lib_dir})
  endif()
  set(ENV{PKG_CONFIG_PATH} ${pc_dir})
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
elseif(MODE STREQUAL "cmake")
  set(hint -DCMAKE_PREFIX_PATH=${prefix})
  if(INSTALLED)
    set(hint)
  endif()
  cmake_consumer(${PROJECT_DIR} ${WORK_DIR}/build ${hint})
  check_static(${WORK_DIR}/build/consumer "${STATIC}")
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
elseif(MODE STREQUAL "examples")
  file(GLOB examples LIST_DIRECTORIES true ${SOURCE_DIR}/examples/*)
  foreach(dir IN LISTS examples)
    if(NOT EXISTS ${dir}/CMakeLists.txt)
      continue()
    endif()
    get_filename_component(name ${dir} NAME)
    run(${CMAKE_COMMAND} -S ${dir} -B ${WORK_DIR}/${name} -G ${GENERATOR}
        -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix})
    run(${CMAKE_COMMAND} --build ${WORK_DIR}/${name})
    message(STATUS "examples/${name} built on its own")
  endforeach()
  run(${WORK_DIR}/store/qv_store_example ${WORK_DIR}/model.qnf)
  if(NOT last_output MATCHES "ColorTable:")
    message(FATAL_ERROR "qv_store_example printed:\n${last_output}")
  endif()
elseif(MODE STREQUAL "sidebyside")
  # This static build and a shared build of the same sources, library
  # only, in one prefix.
  run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/shared -G ${GENERATOR}
      -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=Release
      -DBUILD_SHARED_LIBS=ON -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF
      -DQV_BUILD_TOOLS=OFF -DQV_BUILD_EXAMPLES=OFF)
  run(${CMAKE_COMMAND} --build ${WORK_DIR}/shared)
  run(${CMAKE_COMMAND} --install ${WORK_DIR}/shared --prefix ${prefix}
      --component Runtime)
  run(${CMAKE_COMMAND} --install ${WORK_DIR}/shared --prefix ${prefix}
      --component Development)
  foreach(shared ON OFF)
    cmake_consumer(${PROJECT_DIR} ${WORK_DIR}/build-${shared}
      -DCMAKE_PREFIX_PATH=${prefix} -DQvBase_SHARED_LIBS=${shared})
    if(shared)
      check_static(${WORK_DIR}/build-${shared}/consumer FALSE)
    else()
      check_static(${WORK_DIR}/build-${shared}/consumer TRUE)
    endif()
  endforeach()
else()
  find_program(PKG_CONFIG pkg-config REQUIRED)
  run(${PKG_CONFIG} --modversion qvbase)
  string(STRIP "${last_output}" pc_version)
  if(VERSION AND NOT pc_version STREQUAL VERSION)
    message(FATAL_ERROR "qvbase.pc gives version ${pc_version}, not ${VERSION}")
  endif()
  # Under /usr the flags name no system folder: nothing but the static
  # define and the library.
  set(static_define)
  if(STATIC)
    set(static_define "-DQV_BASE_STATIC")
  endif()
  if(INSTALLED OR DEBS)
    run(${PKG_CONFIG} --cflags qvbase)
    string(STRIP "${last_output}" cflags)
    run(${PKG_CONFIG} --libs qvbase)
    string(STRIP "${last_output}" libs)
    if(NOT "${cflags}" STREQUAL "${static_define}" OR NOT libs STREQUAL "-lQvBase")
      message(FATAL_ERROR "pkg-config qvbase gives '${cflags}' '${libs}'")
    endif()
  endif()
  # The unpacked packages say /usr; they are found where they were
  # unpacked.
  set(define)
  if(DEBS)
    set(define --define-variable=prefix=${prefix})
  endif()
  if(MODE STREQUAL "meson")
    if(DEBS)
      message(STATUS "meson: not for unpacked packages")
      return()
    endif()
    find_program(MESON meson REQUIRED)
    file(COPY ${PROJECT_DIR}/../meson/meson.build
         ${PROJECT_DIR}/../meson/meson_options.txt ${PROJECT_DIR}/main.cpp
         DESTINATION ${WORK_DIR}/src)
    set(ENV{CXX} ${CXX})
    set(link)
    if(STATIC)
      set(link -Dqvbase_static=true)
    endif()
    run(${MESON} setup ${WORK_DIR}/build ${WORK_DIR}/src ${link})
    run(${MESON} compile -C ${WORK_DIR}/build)
    run_consumer(${WORK_DIR}/build/consumer)
    check_static(${WORK_DIR}/build/consumer "${STATIC}")
    return()
  endif()
  set(static)
  if(STATIC)
    set(static --static)
  endif()
  run(${PKG_CONFIG} ${define} ${static} --cflags --libs qvbase)
  string(STRIP "${last_output}" flags)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  run(${CXX} -std=c++17 ${PROJECT_DIR}/main.cpp -o ${WORK_DIR}/consumer
      ${flags})
  run_consumer(${WORK_DIR}/consumer)
  check_static(${WORK_DIR}/consumer "${STATIC}")
endif()
