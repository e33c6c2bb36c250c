# The inspector on good and damaged files: exact exit status and output.
if(TARGET tavrin)
  function(tavrin_tool_test name rc regex args)
    add_test(NAME tool.${name}
      COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:tavrin> "-DARGS=${args}"
              -DEXPECT_RC=${rc} "-DEXPECT_OUTPUT=${regex}"
              -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/expect_run.cmake)
    set_tests_properties(tool.${name} PROPERTIES LABELS tools)
  endfunction()
  set(D ${CMAKE_CURRENT_SOURCE_DIR}/data)

  tavrin_tool_test(usage 2 "usage: tavrin COMMAND" "")
  tavrin_tool_test(unknown_command 2 "unknown command 'frobnicate'" "frobnicate")
  tavrin_tool_test(help 0 "check +FILE" "--help")
  tavrin_tool_test(version 0 "^tavrin ${PROJECT_VERSION}\n$" "--version")
  tavrin_tool_test(check.help 0 "^usage: tavrin check FILE .*damaged\n$" "check|--help")
  tavrin_tool_test(check.arguments 2 "^usage: tavrin check FILE\n$" "check|a|b")
  # `-` is standard input, for a restore as for the header reader.
  add_test(NAME tool.check.stdin
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:tavrin> "-DARGS=check|-" -DINPUT=${D}/libraries.tvn
            -DEXPECT_RC=0 "-DEXPECT_OUTPUT=^\\(standard input\\): ok \\(1 projects, 3 libraries\\)\n$"
            -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/expect_run.cmake)
  add_test(NAME tool.info.stdin
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:tavrin> "-DARGS=info|-" -DINPUT=${D}/damaged_class_line.tvn
            -DEXPECT_RC=1 "-DEXPECT_OUTPUT=tavrin info: \\(standard input\\): object table: class line 2 refers to name 3"
            -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/expect_run.cmake)
  set_tests_properties(tool.check.stdin tool.info.stdin PROPERTIES LABELS tools)

  tavrin_tool_test(info.one_project 0
    "format version: 12\nrevision lines: yes\nobject table position: 95\nend position: 111\n.*objects: 1\n  SProject: 1\n"
    "info|${D}/one_project.tvn")
  tavrin_tool_test(info.libraries 0
    "objects: 4\n  SProject: 1\n  SPackageLibrary: 1\n  SPinMappingLibrary: 1\n  SPadStackLibrary: 1\n"
    "info|${D}/libraries.tvn")
  tavrin_tool_test(info.no_revision 0 "revision lines: no\nobject table position: 86\n" "info|${D}/no_revision.tvn")
  tavrin_tool_test(info.class_line 1 "class line 2 refers to name 3" "info|${D}/damaged_class_line.tvn")
  tavrin_tool_test(info.truncated 1 "entry count missing" "info|${D}/damaged_truncated.tvn")
  tavrin_tool_test(info.missing 1 "cannot open" "info|${D}/no_such_file.tvn")
  tavrin_tool_test(info.arguments 2 "usage: tavrin info FILE" "info")

  tavrin_tool_test(check.empty 0 "ok \\(0 projects, 0 libraries\\)" "check|${D}/empty_session.tvn")
  tavrin_tool_test(check.libraries 0 "ok \\(1 projects, 3 libraries\\)" "check|${D}/libraries.tvn")
  tavrin_tool_test(check.no_revision 0 "ok \\(1 projects" "check|${D}/no_revision.tvn")
  tavrin_tool_test(check.truncated 1 "^tavrin check: [^\n]*damaged_truncated.tvn: object table: entry count missing\n$"
    "check|${D}/damaged_truncated.tvn")
  tavrin_tool_test(check.shared_child 1 "inconsistent record .* ending at byte 87\n$"
    "check|${D}/damaged_shared_child.tvn")
  tavrin_tool_test(check.data_end 1 "data section ends at byte 95, object table begins at byte 97\n$"
    "check|${D}/damaged_data_end.tvn")
  tavrin_tool_test(check.missing 1 "cannot open" "check|${D}/no_such_file.tvn")

  # Devices and FIFOs are refused at once instead of read without end.
  tavrin_tool_test(xref.dev_zero 1 "tavrin xref: /dev/zero: cannot open: not a regular file" "xref|/dev/zero|N1")
  tavrin_tool_test(info.dev_zero 1 "cannot open: not a regular file" "info|/dev/zero")
  set_tests_properties(tool.xref.dev_zero tool.info.dev_zero PROPERTIES TIMEOUT 10)

  tavrin_tool_test(dump.libraries 0
    "^SSession children=4\n  SProject \"P\"\n  SPackageLibrary \"pkgs\"\n  SPinMappingLibrary \"pins\"\n  SPadStackLibrary \"pads\"\n$"
    "dump|${D}/libraries.tvn")
  tavrin_tool_test(dump.shared_child 1 "inconsistent record .* ending at byte 87\n$"
    "dump|${D}/damaged_shared_child.tvn")
  tavrin_tool_test(dump.arguments 2 "usage: tavrin dump FILE" "dump")
  # The shared board: the restored tree (lists and maps reversed), owned
  # children and references, and a copy whose instance is claimed twice.
  tavrin_tool_test(dump.hierarchy 0
    "^SSession children=1\n  SProject \"P\" children=3 refs=1: SCell \"board\"\n    SFile \"f\"\n    SCell \"leaf\" children=3 refs=2: SConnectivityRepresentation \"lc\", SProject \"P\"\n.*\n        SNetScalar \"N1\" children=3 refs=6: SNetBundle \"NK\", SSchematicSheet \"\", SNetBus \"NB\", \\.\\.\\.\n          SSegment refs=3: SNetScalar \"N1\", SPhysicalNode \"P1\", SNetScalar \"N2\"\n          SSegment refs=1: SNetScalar \"N1\"\n.*\n      SSlot \"\" refs=2: SCell \"leaf\", SCell \"board\"\n$"
    "dump|${D}/hierarchy.tvn")
  tavrin_tool_test(dump.damaged_hierarchy 1 "damaged_hierarchy.tvn: data section: inconsistent record .* ending at byte 314\n$"
    "dump|${D}/damaged_hierarchy.tvn")
endif()
