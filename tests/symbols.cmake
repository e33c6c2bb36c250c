# The exported symbols of the shared library are the public interface: the
# test compares them with a checked-in list, the target rewrites the list.
# Instrumented builds (sanitizers) are left out: they may export more.
find_program(TAVRIN_NM nm)
if(TAVRIN_NM AND NOT TAVRIN_SANITIZE AND NOT TAVRIN_TSAN)
  set(_symbols_args -DNM=${TAVRIN_NM} -DLIBRARY=$<TARGET_FILE:tavrin50>
      -DLIST=${CMAKE_CURRENT_SOURCE_DIR}/data/exported_symbols.txt)
  add_test(NAME exported_symbols
    COMMAND ${CMAKE_COMMAND} ${_symbols_args} -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/exported_symbols.cmake)
  set_tests_properties(exported_symbols PROPERTIES LABELS packaging)
  add_custom_target(update_exported_symbols
    COMMAND ${CMAKE_COMMAND} ${_symbols_args} -DUPDATE=ON -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/exported_symbols.cmake
    DEPENDS tavrin50
    COMMENT "Writing the exported symbols of libtavrin50.so to tests/data/exported_symbols.txt")
endif()
