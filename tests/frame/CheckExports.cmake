# Checks the dynamic symbol table of the shared library: the twelve global
# values, the four global stopwatches and the time constants are exported,
# and no symbol of the internal namespace qv:: is.
find_program(NM nm REQUIRED)
find_program(CXXFILT c++filt REQUIRED)
execute_process(COMMAND ${NM} -D --defined-only ${LIB}
                COMMAND ${CXXFILT}
                OUTPUT_VARIABLE syms RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIB}")
endif()
foreach(name QV_GV_BOOL QV_GV_BOOL_0 QV_GV_BOOL_1 QV_GV_BOOL_2 QV_GV_BOOL_3
             QV_GV_BOOL_4 QV_GV_INT QV_GV_INT_0 QV_GV_INT_1 QV_GV_INT_2
             QV_GV_INT_3 QV_GV_INT_4 GV_STOP_WATCH0 GV_STOP_WATCH1
             GV_STOP_WATCH2 GV_STOP_WATCH3)
  if(NOT syms MATCHES "[BD] ${name}\n")
    message(FATAL_ERROR "${name} is not exported")
  endif()
endforeach()
# Constants are constant-initialised: read-only data, no code at load.
foreach(name ZERO_TIME INF_TIME ZERO_TIME_SPAN INF_TIME_SPAN)
  if(NOT syms MATCHES "R QvTime::${name}\n")
    message(FATAL_ERROR "QvTime::${name} is not exported as a constant")
  endif()
endforeach()
string(REGEX MATCHALL "[^\n]* qv::[^\n]*" internal "${syms}")
if(internal)
  string(REPLACE ";" "\n" internal "${internal}")
  message(FATAL_ERROR "internal helpers are exported:\n${internal}")
endif()
