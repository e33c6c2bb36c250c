# Leak and memory-error check: when valgrind is installed, runs test programs
# under it (label `valgrind`). Sanitizer builds skip it: the two do not mix.
find_program(VALGRIND_EXECUTABLE valgrind)
if(VALGRIND_EXECUTABLE AND NOT TAVRIN_SANITIZE AND NOT TAVRIN_TSAN)
  foreach(prog pool_test session_test persist_roundtrip_test constraint_test xref_test part_test rules_test objects_test library_test stackup_test)
    if(TARGET ${prog})
      add_test(NAME valgrind_${prog}
        COMMAND ${VALGRIND_EXECUTABLE} --leak-check=full --error-exitcode=1 -q
                $<TARGET_FILE:${prog}>)
      set_tests_properties(valgrind_${prog} PROPERTIES LABELS valgrind TIMEOUT 600)
    endif()
  endforeach()
  # The board's destructors and a session deleted whole with discrete pin
  # pairs (the file tests of the board restore too often for valgrind).
  if(TARGET board_test)
    add_test(NAME valgrind_board_test
      COMMAND ${VALGRIND_EXECUTABLE} --leak-check=full --error-exitcode=1 -q
              $<TARGET_FILE:board_test> --gtest_filter=BoardTest.DiscretePinPairsAndDestructors:BoardTest.DestroyDesign*:BoardTest.RestoredBoard)
    set_tests_properties(valgrind_board_test PROPERTIES LABELS valgrind TIMEOUT 600)
  endif()
endif()
