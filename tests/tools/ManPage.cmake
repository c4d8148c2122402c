# The manual page names every command of qvnf and every option of each, as
# the tool's own help lists them; a command or option added to qvnf without
# its line in the manual page fails here.
#   cmake -DQVNF=path/to/qvnf -DPAGE=path/to/qvnf.1 -P ManPage.cmake
file(READ ${PAGE} page)
function(help out)
  execute_process(COMMAND ${QVNF} ${ARGN} --help RESULT_VARIABLE rc
                  OUTPUT_VARIABLE text ERROR_VARIABLE text)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "qvnf ${ARGN} --help failed (${rc}):\n${text}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
# roff writes each '-' of an option as "\-".
function(expect what text)
  if(NOT page MATCHES "${text}")
    message(SEND_ERROR "the manual page lacks ${what}")
  endif()
endfunction()

help(top)
string(REGEX REPLACE ".*\nSubcommands:\n" "" commands "${top}")
string(REGEX MATCHALL "\n  [a-z]+ " commands "\n${commands}")
string(REGEX REPLACE "[\n ]" "" commands "${commands}")
if(NOT commands)
  message(FATAL_ERROR "no commands found in qvnf --help:\n${top}")
endif()
# The top level's options, then each command and its options.
string(REGEX MATCHALL "--[a-z]+" options "${top}")
foreach(command IN ITEMS "" LISTS commands)
  if(command)
    expect("the command ${command}" "\n\\.BI ${command} ")
    help(text ${command})
    string(REGEX MATCHALL "--[a-z]+" options "${text}")
  endif()
  list(REMOVE_ITEM options --help)
  list(REMOVE_DUPLICATES options)
  foreach(option IN LISTS options)
    string(REPLACE "-" "\\\\-" roff "${option}")
    expect("the option ${option} (qvnf ${command})" "${roff}")
  endforeach()
endforeach()
