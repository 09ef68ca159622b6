# lumo_add_test(NAME SOURCES file... LIBS target... [QT])
#
# One GoogleTest executable per unit, registered with CTest case by case.
# Every test runs headless, and its registry lies in the build folder, so no
# test touches the user's settings; tests that need an empty registry make a
# temporary one of their own. QT adds QtTest and AUTOMOC for form tests.
function(lumo_add_test name)
  cmake_parse_arguments(T "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  if(T_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE Qt6::Test Qt6::Widgets)
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin)
  target_compile_definitions(${name} PRIVATE
    LUMO_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    LUMO_BIN_DIR="${LUMO_BIN_DIR}"
    LUMO_SHARED_DATA_DIR="${CMAKE_SOURCE_DIR}/../shared/data")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    TEST_PREFIX "${name}."
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LUMO_TEST=1;LUMO_REGISTRY=${CMAKE_BINARY_DIR}/test-registry/${name}"
               TIMEOUT 300)
endfunction()

# lumo_add_script_test(NAME COMMAND...): a test driven by a shell script.
function(lumo_add_script_test name)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LUMO_BIN_DIR=${LUMO_BIN_DIR};LUMO_SOURCE_DIR=${CMAKE_SOURCE_DIR};LUMO_REGISTRY=${CMAKE_BINARY_DIR}/test-registry/${name}"
    TIMEOUT 600 SKIP_RETURN_CODE 77)
endfunction()
