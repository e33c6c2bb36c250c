# Packaging: install the build into a scratch prefix and build a consumer
# against it (find_package and pkg-config). A sanitizer build is skipped: its
# library needs the sanitizer runtime loaded first by every program.
if(NOT TAVRIN_SANITIZE)
  add_test(NAME package_consumer
    COMMAND ${CMAKE_COMMAND}
            -DBUILD_DIR=${PROJECT_BINARY_DIR}
            -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
            -DWORK_DIR=${PROJECT_BINARY_DIR}/consumer-check
            -DCXX=${CMAKE_CXX_COMPILER}
            -P ${CMAKE_CURRENT_SOURCE_DIR}/consumer/run.cmake)
  set_tests_properties(package_consumer PROPERTIES LABELS packaging TIMEOUT 300)
endif()
