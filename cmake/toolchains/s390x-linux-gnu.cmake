# Cross build for s390x Linux, a big-endian host (Debian's
# g++-s390x-linux-gnu). Programs built here run under qemu-s390x with the
# cross packages' sysroot as their root for the loader and libraries.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(QV_TRIPLE s390x-linux-gnu)

find_program(CMAKE_C_COMPILER NAMES ${QV_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${QV_TRIPLE}-g++ REQUIRED)

set(QV_SYSROOT /usr/${QV_TRIPLE})
set(CMAKE_FIND_ROOT_PATH ${QV_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(QV_QEMU NAMES qemu-s390x qemu-s390x-static)
if(QV_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QV_QEMU} -L ${QV_SYSROOT})
endif()
