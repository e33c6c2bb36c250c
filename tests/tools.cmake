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

  # Every record as saved: its values, references (->#INDEX) and owned
  # children, numbered as a save numbers them.
  tavrin_tool_test(dump.libraries 0
    "^SSession\n  : 7 1 \"P\"\n  #1 SProject \"P\"\n    : 0 \"P\" 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n  : 1\n  #2 SPackageLibrary \"pkgs\"\n    : 0 0 \"pkgs\" 0 0\n  : 1\n  #3 SPinMappingLibrary \"pins\"\n    : 0 0 \"pins\" 0 0\n  : 1\n  #4 SPadStackLibrary \"pads\"\n    : 0 0 \"pads\" 0 0\n$"
    "dump|${D}/libraries.tvn")
  tavrin_tool_test(dump.shared_child 1 "inconsistent record .* ending at byte 87\n$"
    "dump|${D}/damaged_shared_child.tvn")
  tavrin_tool_test(dump.arguments 2 "usage: tavrin dump FILE" "dump")
  # The shared board: the restored tree (lists and maps reversed), owned
  # children and references, and a copy whose instance is claimed twice.
  tavrin_tool_test(dump.hierarchy 0
    "^SSession\n  : 0 1 \"P\"\n  #1 SProject \"P\"\n    : 0 \"P\" 0 0 0 0 0 0 \"mm\" 1 ->#2 SCell \"board\" 0 1 \"f\"\n    #3 SFile \"f\"\n      : 0 0 \"f\" 0 0\n    : 2 \"leaf\"\n    #4 SCell \"leaf\"\n"
    "dump|${D}/hierarchy.tvn")
  tavrin_tool_test(dump.damaged_hierarchy 1 "damaged_hierarchy.tvn: data section: inconsistent record .* ending at byte 314\n$"
    "dump|${D}/damaged_hierarchy.tvn")
  # The board with parts and electrical data, and a copy whose pin pair is
  # claimed twice: the frame of both reads, the data of the copy does not.
  tavrin_tool_test(info.board 0
    "object table position: 1723\nend position: 2051\n.*objects: 41\n.*  SPinPair: 3\n.*  SEbdPin: 1\n  SLayout: 1\n  SPart: 1\n  SPinMapping: 2\n"
    "info|${D}/board.tvn")
  tavrin_tool_test(info.damaged_board 0 "objects: 41\n" "info|${D}/damaged_board.tvn")
  tavrin_tool_test(check.board 0 "board.tvn: ok \\(1 projects, 1 libraries\\)\n$" "check|${D}/board.tvn")
  tavrin_tool_test(check.damaged_board 1 "damaged_board.tvn: data section: inconsistent record .* ending at byte 1125\n$"
    "check|${D}/damaged_board.tvn")
  # Objects only references reach (the pins of a pin list) come last.
  tavrin_tool_test(dump.board 0
    "\n  #41 SPinMappingLibrary \"maps\"\n    : 0 0 \"maps\" 0 2 \"pmA\"\n    #6 SPinMapping \"pmA\"\n      : \"pmA\" ->#41 SPinMappingLibrary \"maps\" 41\n    : \"pmB\"\n    #7 SPinMapping \"pmB\"\n      : \"pmB\" ->#41 SPinMappingLibrary \"maps\" 42\n  : 0\nnot owned by any record:\n  #20 SConnectorPinInstance \"\"\n  #39 SEbdPin \"\"\n$"
    "dump|${D}/board.tvn")
  # Graph comparison: a file equals the save of its restore (every list
  # reversed); a changed value is named by its path; a damaged file is 2.
  add_executable(tool_roundtrip tool_roundtrip.cpp)
  target_link_libraries(tool_roundtrip PRIVATE tavrin50)
  set(RT ${CMAKE_CURRENT_BINARY_DIR}/tool_roundtrip)
  foreach(f board hierarchy pairs contexts)
    add_test(NAME tool.diff.roundtrip.${f}
      COMMAND ${CMAKE_COMMAND} -DTAVRIN=$<TARGET_FILE:tavrin> -DROUNDTRIP=$<TARGET_FILE:tool_roundtrip>
              -DFILE=${D}/${f}.tvn -DWORK=${RT}_${f}.tvn
              -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/diff_roundtrip.cmake)
    set_tests_properties(tool.diff.roundtrip.${f} PROPERTIES LABELS tools)
  endforeach()
  tavrin_tool_test(diff.different 1
    "^SSession: field 1 \\(long\\): 7 vs 0\n"
    "diff|${D}/libraries.tvn|${D}/libraries_full.tvn")
  tavrin_tool_test(diff.damaged 2 "^tavrin diff: [^\n]*damaged_board.tvn: data section: inconsistent record"
    "diff|${D}/board.tvn|${D}/damaged_board.tvn")
  tavrin_tool_test(diff.arguments 2 "usage: tavrin diff A B" "diff|${D}/board.tvn")
  tavrin_tool_test(stats.board 0
    "^file: [^\n]*board.tvn \\(2051 bytes: header 37, data 1686, object table 328\\)\nclass +objects +bytes\nSModule +2 +197\n.*\nSEbdPin +1 +0\nobjects: 41, records as saved again: 1696 bytes\ndeepest nesting: 6, SProject \"B\" / SCell \"top\" / SModule \"brd\" / SNetScalar \"N1\" / SVirtualPin \"V1\" / SUnitlessValue\nlargest lists:\n  2 in SProject \"B\" \\(field 13\\)\n"
    "stats|${D}/board.tvn")
  tavrin_tool_test(stats.damaged 1 "entry count missing" "stats|${D}/damaged_truncated.tvn")
  # JSON of every golden file that restores reads with python's parser.
  add_test(NAME tool.dump.json
    COMMAND ${CMAKE_COMMAND} -DTAVRIN=$<TARGET_FILE:tavrin> -DPYTHON=/usr/bin/python3 "-DFILES=${D}/board.tvn;${D}/hierarchy.tvn;${D}/pairs.tvn;${D}/contexts.tvn;${D}/stackup.tvn"
            -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/dump_json.cmake)
  set_tests_properties(tool.dump.json PROPERTIES LABELS tools)
  tavrin_tool_test(dump.damaged_board 1 "damaged_board.tvn: data section: inconsistent record .* ending at byte 1125\n$"
    "dump|${D}/damaged_board.tvn")
  # Driver-receiver pairs of the board in pairs.tvn (its modules come back
  # M2 first, their lists reversed): the bound is strict for a net scalar,
  # so EQ (2 x 5) fails at 10 and is paired at 11; 0 fails every net.
  tavrin_tool_test(pairs.board 0
    "^bound: 10\nmodule .M2. of cell .board. in project .P.: 8 pairs, failing nets: 1 \\(result 0\\)\n.*module .M1. of cell .board. in project .P.: 7 pairs, failing nets: 1 \\(result 0\\)\n  net .N1.: U1.3->U3.1 U1.3->U2.7\n  net .BI.: U2.5->U1.5 U1.5->U2.5\n  net .DRV.: U2.8->U3.4 U1.7->U3.4\n  net .IGN.: no pairs\n  net .INC.: .2->U3.9\n  net .EQ.: fails \\(2 drivers x 5 receivers\\)\n  net .VCC.: constant voltage\n  net .E1a.: in electrical net .E1.\n  net .E1b.: in electrical net .E1.\n  net .ONLY1.: no pairs\n  net .BUSN.: no pairs\n$"
    "pairs|${D}/pairs.tvn|10")
  tavrin_tool_test(pairs.above 0 "M1. of cell .board. in project .P.: 17 pairs, failing nets: 0 \\(result 1\\)\n.*  net .EQ.: U2.20->U3.24 [^\n]* U1.20->U3.20\n"
    "pairs|${D}/pairs.tvn|11")
  tavrin_tool_test(pairs.zero 0 "M1.[^\n]*: 0 pairs, failing nets: 8 \\(result 0\\)\n  net .N1.: fails \\(0 drivers x 0 receivers\\)\n"
    "pairs|${D}/pairs.tvn|-1")
  tavrin_tool_test(pairs.default 0 "^bound: 100\n.*M1[^\n]*: 17 pairs" "pairs|${D}/pairs.tvn")
  tavrin_tool_test(pairs.no_modules 0 "^bound: 100\n$" "pairs|${D}/hierarchy.tvn")
  tavrin_tool_test(pairs.damaged 1 "damaged_hierarchy.tvn: data section: inconsistent record" "pairs|${D}/damaged_hierarchy.tvn")
  tavrin_tool_test(pairs.bound_text 2 "MAX must be an integer: 10x" "pairs|${D}/pairs.tvn|10x")
  tavrin_tool_test(pairs.arguments 2 "usage: tavrin pairs FILE \\[MAX\\]" "pairs")
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
