# cmake -DRUVO=PATH -DRUVO_CLI=PATH -P information_options.cmake: `ruvo --version` and `ruvo --help`
# answer and exit 0 with no display to connect to, and the version is ruvo-cli's.
foreach(variable DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM)
  unset(ENV{${variable}})
endforeach()

execute_process(COMMAND ${RUVO_CLI} --version OUTPUT_VARIABLE cli_version RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT cli_version MATCHES "^ruvo-cli ([0-9][^\n]*)\n$")
  message(FATAL_ERROR "ruvo-cli --version: exit ${status}, output '${cli_version}'")
endif()
set(version ${CMAKE_MATCH_1})

# the arguments (separated by '|'), then what the output must match
set(cases
  "--version" "^ruvo ${version}\n$"
  "--help" "^Usage: ruvo \\[DOCUMENT.dat\\]\n.*--version"
  "-h" "^Usage: ruvo "
  # Qt's own options before it do not hide it.
  "-style|Fusion|--version" "^ruvo ${version}\n$")
list(LENGTH cases count)
math(EXPR last "${count} - 1")
foreach(index RANGE 0 ${last} 2)
  list(GET cases ${index} shown)
  math(EXPR next "${index} + 1")
  list(GET cases ${next} expected)
  string(REPLACE "|" ";" arguments "${shown}")
  execute_process(COMMAND ${RUVO} ${arguments} OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status
                  TIMEOUT 60)
  if(NOT status EQUAL 0 OR NOT output MATCHES "${expected}" OR NOT errors STREQUAL "")
    message(SEND_ERROR "ruvo ${shown}: exit ${status}, output '${output}', errors '${errors}'")
  endif()
endforeach()
