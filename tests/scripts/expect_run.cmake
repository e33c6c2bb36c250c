# Runs PROGRAM with ARGS (separated by '|') and checks its exit status
# (EXPECT_RC) and that its standard output and error together match
# EXPECT_OUTPUT (a regular expression). With INPUT, that file is its
# standard input.
string(REPLACE "|" ";" _args "${ARGS}")
set(_input)
if(DEFINED INPUT)
  set(_input INPUT_FILE ${INPUT})
endif()
execute_process(COMMAND ${PROGRAM} ${_args} ${_input}
  RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _err TIMEOUT 60)
set(_all "${_out}${_err}")
if(NOT "${_rc}" STREQUAL "${EXPECT_RC}")
  message(FATAL_ERROR "exit status ${_rc}, expected ${EXPECT_RC}; output:\n${_all}")
endif()
if(DEFINED EXPECT_OUTPUT AND NOT _all MATCHES "${EXPECT_OUTPUT}")
  message(FATAL_ERROR "output does not match '${EXPECT_OUTPUT}':\n${_all}")
endif()
