# `tavrin dump FILE --json` of each of FILES parses as JSON, one element per
# object with a unique index.
foreach(f ${FILES})
  execute_process(COMMAND ${TAVRIN} dump ${f} --json
    COMMAND ${PYTHON} -c "import json,sys; d=json.load(sys.stdin); i=[o['index'] for o in d]; assert sorted(i)==list(range(len(i))), i"
    RESULTS_VARIABLE rcs ERROR_VARIABLE err)
  if(NOT rcs STREQUAL "0;0")
    message(FATAL_ERROR "dump --json ${f}: ${rcs}\n${err}")
  endif()
endforeach()
