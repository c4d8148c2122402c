# Checks the dynamic symbol table of the shared library: the twelve global
# values, the four global stopwatches and the time constants are exported,
# and no symbol of the internal namespace qv:: is. With OBJDUMP set, LIB is
# a Windows DLL and its export table is read instead; it names the symbols
# without their kind, so there only the names are checked.
find_program(CXXFILT c++filt REQUIRED)
if(OBJDUMP)
  execute_process(COMMAND ${OBJDUMP} -p ${LIB}
                  OUTPUT_VARIABLE table RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objdump failed on ${LIB}")
  endif()
  # Export lines look like "\t[  12] _ZN6QvTime9ZERO_TIMEE".
  string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" rows "${table}")
  set(names)
  foreach(row ${rows})
    string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${row}")
    string(APPEND names "${name}\n")
  endforeach()
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/dll-exports.txt "${names}")
  execute_process(COMMAND ${CXXFILT}
                  INPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/dll-exports.txt
                  OUTPUT_VARIABLE syms RESULT_VARIABLE rc)
  # Give every name the kind letters the checks below expect.
  string(REGEX REPLACE "([^\n]+)" "D \\1" data "${syms}")
  string(REGEX REPLACE "([^\n]+)" "R \\1" constants "${syms}")
  set(syms "${data}${constants}")
else()
  find_program(NM nm REQUIRED)
  execute_process(COMMAND ${NM} -D --defined-only ${LIB}
                  COMMAND ${CXXFILT}
                  OUTPUT_VARIABLE syms RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "nm failed on ${LIB}")
  endif()
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
