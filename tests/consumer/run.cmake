# Installs the build into a scratch prefix, then builds and runs the consumer
# against it: once through find_package(Tavrin) and, when pkg-config is
# installed, once with the flags of tavrin.pc.
# Inputs: BUILD_DIR, SOURCE_DIR, WORK_DIR, CXX.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(RUN_OUTPUT "${out}" PARENT_SCOPE)
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
file(GLOB_RECURSE libdirs LIST_DIRECTORIES false ${prefix}/libtavrin50.so)
list(GET libdirs 0 lib)
get_filename_component(libdir ${lib} DIRECTORY)

run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/consumer -B ${WORK_DIR}/build
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} ${WORK_DIR}/build/consumer)
if(NOT RUN_OUTPUT STREQUAL "consumer ok\n")
  message(FATAL_ERROR "find_package consumer said: ${RUN_OUTPUT}")
endif()
message(STATUS "find_package(Tavrin): ${RUN_OUTPUT}")

find_program(PKG_CONFIG pkg-config)
if(PKG_CONFIG)
  run(${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${libdir}/pkgconfig
      ${PKG_CONFIG} --cflags --libs tavrin)
  string(STRIP "${RUN_OUTPUT}" flags)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  run(${CXX} -std=c++17 ${SOURCE_DIR}/tests/consumer/consumer.cpp ${flags}
      -o ${WORK_DIR}/consumer_pc)
  run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} ${WORK_DIR}/consumer_pc)
  if(NOT RUN_OUTPUT STREQUAL "consumer ok\n")
    message(FATAL_ERROR "pkg-config consumer said: ${RUN_OUTPUT}")
  endif()
  message(STATUS "pkg-config tavrin (${flags}): ${RUN_OUTPUT}")
endif()
