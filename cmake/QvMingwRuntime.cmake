# MinGW programs need the compiler's runtime DLLs (libstdc++, libgcc,
# winpthread) beside them, as a Windows application ships them. They are
# copied into the folder where the build puts its programs and installed
# beside qvnf.
set(qv_runtime_dlls)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(IS_ABSOLUTE "${path}" AND EXISTS "${path}")
    get_filename_component(path "${path}" REALPATH)
    list(APPEND qv_runtime_dlls "${path}")
  endif()
endforeach()
if(CMAKE_RUNTIME_OUTPUT_DIRECTORY)
  file(COPY ${qv_runtime_dlls} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
endif()
if(NOT QV_INSTALL)
  return()
endif()
install(FILES ${qv_runtime_dlls} DESTINATION ${CMAKE_INSTALL_BINDIR}
  COMPONENT Runtime)
# A stripped install (cmake --install --strip, or CPack's ZIP) strips the
# copies of the runtime DLLs as well: Debian ships them with their
# debugging information, which makes libstdc++ alone over 20 MB.
if(CMAKE_STRIP)
  foreach(dll ${qv_runtime_dlls})
    get_filename_component(name "${dll}" NAME)
    install(CODE "
      if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug
          \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${name}\")
      endif()" COMPONENT Runtime)
  endforeach()
endif()
