# The Windows ZIP through CPack, made by scripts/package.sh from the MinGW
# build: what the install rules install (the DLL and its import library,
# headers, CMake package, pkg-config file, qvnf.exe with the compiler's
# runtime DLLs, the documentation and LICENSE). The Debian packages are
# built from debian/ by dpkg-buildpackage instead.
if(NOT WIN32)
  return()
endif()
set(CPACK_PACKAGE_NAME qvbase)
set(CPACK_PACKAGE_VENDOR "the QvBase authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR ZIP)
# CPack names every Windows build "win32" unless told otherwise.
set(CPACK_SYSTEM_NAME win64)
set(CPACK_STRIP_FILES ON)

include(CPack)
