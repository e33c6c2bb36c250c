# Installs the build into a scratch prefix, then builds and runs the consumer
# against it: once through find_package(Tavrin) and, when pkg-config is
# installed, once with the flags of tavrin.pc; then once more as C++20.
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

# Builds and runs the consumer through find_package in build dir `name`,
# with the extra configure arguments that follow.
function(consumer name)
  set(bin ${WORK_DIR}/${name})
  run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/consumer -B ${bin}
      -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=Release ${ARGN})
  run(${CMAKE_COMMAND} --build ${bin})
  run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} ${bin}/consumer ${WORK_DIR})
  if(NOT RUN_OUTPUT MATCHES "consumer ok\n$")
    message(FATAL_ERROR "find_package consumer (${name}) said: ${RUN_OUTPUT}")
  endif()
  message(STATUS "find_package(Tavrin), ${name}: consumer ok")
endfunction()
consumer(build)
consumer(build20 -DCMAKE_CXX_STANDARD=20 -DCMAKE_CXX_STANDARD_REQUIRED=ON)

find_program(PKG_CONFIG pkg-config)
if(PKG_CONFIG)
  run(${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${libdir}/pkgconfig
      ${PKG_CONFIG} --cflags --libs tavrin)
  string(STRIP "${RUN_OUTPUT}" flags)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  run(${CXX} -std=c++17 ${SOURCE_DIR}/tests/consumer/consumer.cpp ${flags}
      -o ${WORK_DIR}/consumer_pc)
  run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} ${WORK_DIR}/consumer_pc ${WORK_DIR})
  if(NOT RUN_OUTPUT MATCHES "consumer ok\n$")
    message(FATAL_ERROR "pkg-config consumer said: ${RUN_OUTPUT}")
  endif()
  message(STATUS "pkg-config tavrin (${flags}): ${RUN_OUTPUT}")
endif()
