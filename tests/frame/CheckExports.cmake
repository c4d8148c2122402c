# Checks the dynamic symbol table of the shared library: the twelve global
# values are exported, and no symbol of the internal namespace qv:: is.
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
             QV_GV_INT_3 QV_GV_INT_4)
  if(NOT syms MATCHES "[BD] ${name}\n")
    message(FATAL_ERROR "${name} is not exported")
  endif()
endforeach()
string(REGEX MATCHALL "[^\n]* qv::[^\n]*" internal "${syms}")
if(internal)
  string(REPLACE ";" "\n" internal "${internal}")
  message(FATAL_ERROR "internal helpers are exported:\n${internal}")
endif()
