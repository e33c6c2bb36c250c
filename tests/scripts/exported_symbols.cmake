cmake_minimum_required(VERSION 3.25)
# Compares the symbols LIBRARY exports (demangled, one a line, sorted) with
# the list in LIST; with -DUPDATE=ON writes the list instead. NM is the nm
# program.
execute_process(COMMAND ${NM} -D -C --defined-only ${LIBRARY}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${NM} failed (${rc}): ${err}")
endif()
# "ADDRESS TYPE NAME": the name alone, without the address and type letter.
string(REGEX REPLACE "(^|\n)[0-9a-fA-F]+ [A-Za-z] " "\\1" out "${out}")
string(REPLACE ";" "\\;" out "${out}")
string(REPLACE "\n" ";" names "${out}")
list(REMOVE_ITEM names "")
list(REMOVE_DUPLICATES names)
list(SORT names)
string(REPLACE ";" "\n" text "${names}")
string(REPLACE "\\;" ";" text "${text}")
set(text "${text}\n")

if(UPDATE)
  file(WRITE ${LIST} "${text}")
  list(LENGTH names n)
  message(STATUS "wrote ${n} exported symbols to ${LIST}")
  return()
endif()
file(READ ${LIST} expected)
if(NOT text STREQUAL expected)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/exported_symbols.actual.txt "${text}")
  execute_process(COMMAND diff -u ${LIST} ${CMAKE_CURRENT_BINARY_DIR}/exported_symbols.actual.txt
    OUTPUT_VARIABLE d)
  message(FATAL_ERROR
    "The library exports other symbols than ${LIST}:\n${d}\n"
    "A symbol that is not part of the public interface must stay inside the library (no "
    "TAVRIN_API on it, or a narrower pattern in cmake/tavrin50.map). When the public interface "
    "changed on purpose (a class or function added to include/tavrin/), regenerate the list with\n"
    "    cmake --build build --target update_exported_symbols\n"
    "and commit it.")
endif()
