# The main job: the example program builds the board, saves it, restores
# it and saves the restored copy; the `tavrin` inspector then describes,
# checks and dumps the saved file, compares the copy with it, and looks
# names up in a sample cross-reference file. Needs no test framework.
set(TAVRIN_DEMO_FILE ${PROJECT_BINARY_DIR}/example_board.tdb)
set(TAVRIN_DEMO_COPY ${PROJECT_BINARY_DIR}/example_board_restored.tdb)
add_test(NAME demo.example COMMAND tavrin_example ${TAVRIN_DEMO_FILE} ${TAVRIN_DEMO_COPY})
set_tests_properties(demo.example PROPERTIES LABELS demo FIXTURES_SETUP demo_file)
if(TARGET tavrin)
  add_test(NAME demo.info COMMAND tavrin info ${TAVRIN_DEMO_FILE})
  add_test(NAME demo.check COMMAND tavrin check ${TAVRIN_DEMO_FILE})
  add_test(NAME demo.dump COMMAND tavrin dump ${TAVRIN_DEMO_FILE})
  set_tests_properties(demo.info demo.check demo.dump PROPERTIES LABELS demo FIXTURES_REQUIRED demo_file)
  if(EXISTS ${PROJECT_SOURCE_DIR}/tools/cmd_diff.cpp)
    add_test(NAME demo.diff COMMAND tavrin diff ${TAVRIN_DEMO_COPY} ${TAVRIN_DEMO_FILE})
    set_tests_properties(demo.diff PROPERTIES LABELS demo FIXTURES_REQUIRED demo_file)
  endif()
  add_test(NAME demo.xref COMMAND tavrin xref ${PROJECT_SOURCE_DIR}/examples/board.pxr
           N00012 CLK_MAIN U1 CPU_MAIN DEBUG_HEADER)
  set_tests_properties(demo.xref PROPERTIES LABELS demo)
endif()
