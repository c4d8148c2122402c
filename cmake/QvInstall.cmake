# Install rules: headers, the library, a CMake package, a pkg-config file,
# the user documentation and the licence.
include(CMakePackageConfigHelpers)

set(QV_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/QvBase)

install(TARGETS QvBase EXPORT QvBaseTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
set(qv_header_exclude)
if(NOT QV_DISPLAY_LISTS)
  set(qv_header_exclude PATTERN QvDrawableObj.h EXCLUDE)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/QvBase
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.h"
  ${qv_header_exclude})
install(EXPORT QvBaseTargets NAMESPACE QvBase::
  DESTINATION ${QV_CMAKE_DIR})

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/QvBaseConfig.cmake.in
  ${PROJECT_BINARY_DIR}/QvBaseConfig.cmake
  INSTALL_DESTINATION ${QV_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QvBaseConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/QvBaseConfig.cmake
              ${PROJECT_BINARY_DIR}/QvBaseConfigVersion.cmake
  DESTINATION ${QV_CMAKE_DIR})

# The .pc file finds its prefix relative to itself, so an installed tree
# can be moved.
file(RELATIVE_PATH QV_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig
     /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/qvbase.pc.in
  ${PROJECT_BINARY_DIR}/qvbase.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/qvbase.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/CHANGELOG.md
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The licence goes with every copy: at the top of a Windows install, where
# its users look for it, and with the documentation elsewhere.
if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
else()
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/
  DESTINATION ${CMAKE_INSTALL_DOCDIR} FILES_MATCHING PATTERN "*.md")
