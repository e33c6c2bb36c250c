# Replays the fuzzing corpus (seeds and every past finding) and the test data
# through the fuzz target, without the fuzzing engine, so that any build
# (the sanitizer build in particular) keeps them fixed.
add_executable(fuzz_replay ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/restore_target.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/replay_main.cpp)
target_link_libraries(fuzz_replay PRIVATE tavrin_objects)
target_include_directories(fuzz_replay PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(fuzz_replay PRIVATE -Wall -Wextra)
add_test(NAME fuzz.replay
  COMMAND fuzz_replay ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/restore ${CMAKE_CURRENT_SOURCE_DIR}/data)
set_tests_properties(fuzz.replay PROPERTIES LABELS fuzz TIMEOUT 600)

# The same for the cross-reference loader's corpus.
add_executable(fuzz_replay_xref ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/xref_fuzz.cpp
                                ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/replay_main.cpp)
target_link_libraries(fuzz_replay_xref PRIVATE tavrin_objects)
target_include_directories(fuzz_replay_xref PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(fuzz_replay_xref PRIVATE -Wall -Wextra)
add_test(NAME fuzz.replay_xref COMMAND fuzz_replay_xref ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/xref)
set_tests_properties(fuzz.replay_xref PROPERTIES LABELS fuzz TIMEOUT 600)

# The same for single-object files (rules, rule sets, contexts, objects).
add_executable(fuzz_replay_objects ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/objects_target.cpp
                                   ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/replay_main.cpp)
target_link_libraries(fuzz_replay_objects PRIVATE tavrin_objects)
target_include_directories(fuzz_replay_objects PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(fuzz_replay_objects PRIVATE -Wall -Wextra)
add_test(NAME fuzz.replay_objects COMMAND fuzz_replay_objects ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/objects)
set_tests_properties(fuzz.replay_objects PROPERTIES LABELS fuzz TIMEOUT 600)
