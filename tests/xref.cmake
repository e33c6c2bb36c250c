# The xref inspector command is tested in-process: its source joins the
# loader's test program.
target_sources(xref_test PRIVATE ${PROJECT_SOURCE_DIR}/tools/cmd_xref.cpp ${PROJECT_SOURCE_DIR}/tools/tool_common.cpp)
