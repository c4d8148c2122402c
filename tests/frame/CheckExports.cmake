# Checks the dynamic symbol table of the shared library: the twelve global
# values, the four global stopwatches, the time constants and
# QvBaseVersion() are exported, and no symbol of the internal namespace
# qv:: is. With OBJDUMP set, LIB is
# a Windows DLL and its export table is read instead; its rows, such as
# "[  12] QvTime::ZERO_TIME" once demangled, give no symbol kinds, so there
# only the names are checked.
find_program(CXXFILT c++filt REQUIRED)
if(OBJDUMP)
  set(list_symbols ${OBJDUMP} -p ${LIB})
  set(data_kind "\\] ")
  set(constant_kind "\\] ")
  set(code_kind "\\] ")
else()
  find_program(NM nm REQUIRED)
  set(list_symbols ${NM} -D --defined-only ${LIB})
  set(data_kind "[BD] ")
  set(constant_kind "R ")  # constant-initialised: no code at load
  set(code_kind "T ")
endif()
execute_process(COMMAND ${list_symbols} COMMAND ${CXXFILT}
                OUTPUT_VARIABLE syms RESULTS_VARIABLE rcs)
if(NOT rcs STREQUAL "0;0")
  message(FATAL_ERROR "listing the symbols of ${LIB} failed: ${rcs}")
endif()
foreach(name QV_GV_BOOL QV_GV_BOOL_0 QV_GV_BOOL_1 QV_GV_BOOL_2 QV_GV_BOOL_3
             QV_GV_BOOL_4 QV_GV_INT QV_GV_INT_0 QV_GV_INT_1 QV_GV_INT_2
             QV_GV_INT_3 QV_GV_INT_4 GV_STOP_WATCH0 GV_STOP_WATCH1
             GV_STOP_WATCH2 GV_STOP_WATCH3)
  if(NOT syms MATCHES "${data_kind}${name}\n")
    message(FATAL_ERROR "${name} is not exported")
  endif()
endforeach()
foreach(name ZERO_TIME INF_TIME ZERO_TIME_SPAN INF_TIME_SPAN)
  if(NOT syms MATCHES "${constant_kind}QvTime::${name}\n")
    message(FATAL_ERROR "QvTime::${name} is not exported as a constant")
  endif()
endforeach()
if(NOT syms MATCHES "${code_kind}QvBaseVersion\\(\\)\n")
  message(FATAL_ERROR "QvBaseVersion() is not exported")
endif()
string(REGEX MATCHALL "[^\n]* qv::[^\n]*" internal "${syms}")
if(internal)
  string(REPLACE ";" "\n" internal "${internal}")
  message(FATAL_ERROR "internal helpers are exported:\n${internal}")
endif()
