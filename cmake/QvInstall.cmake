# Install rules, in four components:
#   Runtime        the shared library (the DLL on Windows) and the licence
#   Development    headers, the .so link or static archive, import library,
#                  CMake package and pkg-config file
#   Tools          qvnf and its manual page (tools/qvnf)
#   Documentation  README, CHANGELOG, docs/*.md and the API reference
# A shared and a static build may be installed into one prefix: each has
# its own CMake targets file, and QvBaseConfig.cmake picks one.
include(CMakePackageConfigHelpers)

set(QV_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/QvBase)
if(QV_LIBRARY_KIND STREQUAL "STATIC")
  set(qv_targets_file QvBaseStaticTargets)
else()
  set(qv_targets_file QvBaseSharedTargets)
endif()

install(TARGETS QvBase EXPORT QvBaseTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Runtime
          NAMELINK_COMPONENT Development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
set(qv_header_exclude)
if(NOT QV_DISPLAY_LISTS)
  set(qv_header_exclude PATTERN QvDrawableObj.h EXCLUDE)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/QvBase
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT Development
  FILES_MATCHING PATTERN "*.h" ${qv_header_exclude})
install(FILES ${PROJECT_BINARY_DIR}/include/QvBase/QvVersion.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/QvBase COMPONENT Development)
install(EXPORT QvBaseTargets NAMESPACE QvBase:: FILE ${qv_targets_file}.cmake
  DESTINATION ${QV_CMAKE_DIR} COMPONENT Development)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/QvBaseConfig.cmake.in
  ${PROJECT_BINARY_DIR}/QvBaseConfig.cmake
  INSTALL_DESTINATION ${QV_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QvBaseConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/QvBaseConfig.cmake
              ${PROJECT_BINARY_DIR}/QvBaseConfigVersion.cmake
  DESTINATION ${QV_CMAKE_DIR} COMPONENT Development)

# qvbase.pc. The static define goes to Cflags of a static build; OpenGL,
# which a static library leaves to the program's link, to Libs.private.
set(QV_PC_CFLAGS)
if(QV_LIBRARY_KIND STREQUAL "STATIC")
  set(QV_PC_CFLAGS " -DQV_BASE_STATIC")
endif()
set(QV_PC_LIBS_PRIVATE)
if(QV_DISPLAY_LISTS)
  set(QV_PC_LIBS_PRIVATE "Libs.private: -lGL")
  if(WIN32)
    set(QV_PC_LIBS_PRIVATE "Libs.private: -lopengl32")
  endif()
endif()
if(WIN32)
  # A Windows install is unpacked anywhere: the prefix is found from the
  # file's own place.
  file(RELATIVE_PATH qv_pc_up /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
  set(QV_PC_PREFIX "\${pcfiledir}/${qv_pc_up}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/qvbase.pc.in
    ${PROJECT_BINARY_DIR}/qvbase.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/qvbase.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT Development)
else()
  # Elsewhere the prefix is written as the install gives it (--prefix
  # included), so that pkg-config recognises /usr/include and /usr/lib as
  # the system's and leaves them out of the flags.
  set(QV_PC_PREFIX "@QV_PC_PREFIX@")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/qvbase.pc.in
    ${PROJECT_BINARY_DIR}/qvbase.pc.in @ONLY)
  install(CODE "
    set(QV_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
    configure_file(\"${PROJECT_BINARY_DIR}/qvbase.pc.in\"
      \"${PROJECT_BINARY_DIR}/pc/qvbase.pc\" @ONLY)
    file(INSTALL \"${PROJECT_BINARY_DIR}/pc/qvbase.pc\" DESTINATION
      \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig\")"
    COMPONENT Development)
endif()

install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/CHANGELOG.md
  DESTINATION ${QV_INSTALL_DOCDIR} COMPONENT Documentation)
# docs/mainpage.md is the reference's main page, installed as its HTML.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/
  DESTINATION ${QV_INSTALL_DOCDIR} COMPONENT Documentation
  FILES_MATCHING PATTERN "*.md" PATTERN mainpage.md EXCLUDE)
if(QV_BUILD_DOCS)
  install(DIRECTORY ${PROJECT_BINARY_DIR}/docs/html
    DESTINATION ${QV_INSTALL_DOCDIR} COMPONENT Documentation)
endif()
# The licence goes with every copy of the library: at the top of a Windows
# install, where its users look for it, and with the documentation
# elsewhere.
if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . COMPONENT Runtime)
else()
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${QV_INSTALL_DOCDIR}
    COMPONENT Runtime)
endif()
