# The main job: run the example program, which builds a small design and
# saves it, then inspect the saved file with the `tavrin` tool.
set(TAVRIN_DEMO_FILE ${PROJECT_BINARY_DIR}/example_design.tdb)
add_test(NAME demo.example COMMAND tavrin_example ${TAVRIN_DEMO_FILE})
set_tests_properties(demo.example PROPERTIES LABELS demo FIXTURES_SETUP demo_file)
if(TARGET tavrin)
  add_test(NAME demo.info COMMAND tavrin info ${TAVRIN_DEMO_FILE})
  add_test(NAME demo.check COMMAND tavrin check ${TAVRIN_DEMO_FILE})
  set_tests_properties(demo.info demo.check PROPERTIES LABELS demo FIXTURES_REQUIRED demo_file)
endif()
if(TARGET tavrin)
  add_test(NAME demo.xref COMMAND tavrin xref ${PROJECT_SOURCE_DIR}/examples/board.pxr
           N00012 CLK_MAIN U1 CPU_MAIN DEBUG_HEADER)
  set_tests_properties(demo.xref PROPERTIES LABELS demo)
endif()
