# melvora_add_test(<name> LABEL <subsystem> SOURCES ... [LIBS ...] [ENVIRONMENT ...])
# One GoogleTest executable per library; every discovered case carries its subsystem label,
# so `ctest -L <subsystem>` runs exactly that area.
function(melvora_add_test name)
  cmake_parse_arguments(arg "" "LABEL" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
  if(NOT arg_LABEL)
    message(FATAL_ERROR "melvora_add_test(${name}): LABEL is required")
  endif()
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gmock GTest::gtest_main Melvora::warnings)
  set(props LABELS ${arg_LABEL})
  if(arg_ENVIRONMENT)
    list(APPEND props ENVIRONMENT "${arg_ENVIRONMENT}")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${props} TIMEOUT 120)
endfunction()
