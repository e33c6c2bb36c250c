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
  tavrin_tool_test(check.truncated 1 "damaged_truncated.tvn: object table: entry count missing\n$"
    "check|${D}/damaged_truncated.tvn")
  tavrin_tool_test(check.shared_child 1 "inconsistent record .* ending at byte 87\n$"
    "check|${D}/damaged_shared_child.tvn")
  tavrin_tool_test(check.data_end 1 "data section ends at byte 95, object table begins at byte 97\n$"
    "check|${D}/damaged_data_end.tvn")
  tavrin_tool_test(check.missing 1 "cannot open" "check|${D}/no_such_file.tvn")

  # Devices and FIFOs are refused at once instead of read without end.
  tavrin_tool_test(xref.dev_zero 1 "cannot open /dev/zero: not a regular file" "xref|/dev/zero|N1")
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
  # Packages with their pins and pad stacks with their pads, as restored
  # (library maps, pad maps, pin and region lists reversed).
  tavrin_tool_test(libs.full 0
    "^package library \"pkgs\": 2 packages\n  package \"SO8\": type 2147483647, power 2.5, size 100 x 200, 2 pins\n    pin \"1\" at \\(11, 12\\)\n    pin \"2\" at \\(-13, 14\\)\n  package \"DIP\": type -2147483648, power 0.25, size 300 x 400, 1 pins\n    pin \"A\" at \\(15, 16\\)\npad-stack library \"pads\": 2 pad stacks\n  pad stack \"VIA\": layers 1 to 4, extent 1503 x -, 2 pads\n    pad on layer 1 at \\(1501, -\\), regions: \"R1\" \"R2\"\n    pad on layer 4 at \\(-, 1502\\), regions:\n  pad stack \"PIN\": layers 2 to 3, extent - x 1506, 1 pads\n    pad on layer 2 at \\(1504, 1505\\), regions:\n$"
    "libs|${D}/libraries_full.tvn")
  tavrin_tool_test(libs.damaged 1 "damaged_libraries.tvn: .*\n$" "libs|${D}/damaged_libraries.tvn")
  tavrin_tool_test(libs.arguments 2 "usage: tavrin libs FILE" "libs")
  # Stack-ups: the next-layer chain from the top layer, then the layers off
  # it; a chain that returns to a layer stops there and says so.
  tavrin_tool_test(stackup.board 0
    "^module P/board/M\n  stack-up SU: 3 layers, top layer 1 \"TOP\", bottom layer 3 \"BOT\"\n  layer 1 \"TOP\": type SIGNAL, conductor COPPER, dielectric FR4 \\(4.5\\), thickness 1.4 mil\n    signal: S1, S2\n    insulator: K1\n  layer 2 \"GND\": type PLANE, conductor COPPER, dielectric - \\(1\\), thickness -\n    power plane: PG \\(GND\\), PU \\(<Unknown>\\)\n  layer 3 \"BOT\": type SIGNAL, conductor -, dielectric PREPREG \\(3.9\\), thickness 2 mil\n    signal: S3\n    insulator: K2\n$"
    "stackup|${D}/stackup.tvn")
  tavrin_tool_test(stackup.repeated 0
    "top layer 2 \"GND\".*\n  layer 3 \"BOT\":[^\n]*\n    signal: S3\n    insulator: K2\n  layer 2 \"GND\" again: the next-layer chain repeats, stopped\n  off the chain:\n  layer 1 \"TOP\":"
    "stackup|${D}/stackup_ids.tvn")
  tavrin_tool_test(stackup.no_modules 0 "^no modules\n$" "stackup|${D}/hierarchy.tvn")
  tavrin_tool_test(stackup.truncated 1 "entry count missing" "stackup|${D}/damaged_truncated.tvn")
  tavrin_tool_test(stackup.arguments 2 "usage: tavrin stackup FILE" "stackup")
endif()
