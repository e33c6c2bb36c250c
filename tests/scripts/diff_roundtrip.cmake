# ROUNDTRIP restores FILE and saves it as WORK; `tavrin diff` of the two
# must find the same graph (exit 0, no output) though the bytes differ.
execute_process(COMMAND ${ROUNDTRIP} ${FILE} ${WORK} RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "round trip of ${FILE} failed: ${rc}")
endif()
execute_process(COMMAND ${TAVRIN} diff ${FILE} ${WORK} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT "${out}${err}" STREQUAL "")
  message(FATAL_ERROR "diff ${FILE} ${WORK}: exit ${rc}\n${out}${err}")
endif()
