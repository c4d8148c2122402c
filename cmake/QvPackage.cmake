# Binary packages through CPack, made by scripts/package.sh: a .deb from a
# native build installed under /usr, a ZIP from the MinGW build. Both hold
# what the install rules install: the library, its headers, the CMake
# package, the pkg-config file, qvnf and the documentation.
set(CPACK_PACKAGE_NAME qvbase)
set(CPACK_PACKAGE_VENDOR "QvBase developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CHECKSUM SHA256)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  # CPack names every Windows build "win32" unless told otherwise.
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_GENERATOR DEB)
endif()

# Debian: qvbase_<version>_<arch>.deb, its run-time dependencies found by
# dpkg-shlibdeps, a shlibs file so that packages built against it depend
# on this version or later, and no debugging information (the build has
# it for the ABI check only).
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
    "QvBase developers <qvbase-dev@qvbase.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
set(CPACK_PACKAGE_DESCRIPTION
    "Strings and number texts, text files and file names, the neutral file
(a little-endian container of named, versioned blocks) with the qvnf
inspector, progress reporting, time stamps and stopwatches, and building
blocks for model objects; with headers, CMake package and pkg-config file.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_STRIP_FILES ON)

include(CPack)
