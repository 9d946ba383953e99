# The native build's tests, run by ctest beside the Wine tests. The first of them builds
# build/native (clang, AddressSanitizer and UndefinedBehaviorSanitizer), or brings it up to
# date; niced, on one core, so the Wine tests beside it keep their timers.
set(ZEV_NATIVE_DIR ${CMAKE_BINARY_DIR}/native)
include(${PROJECT_SOURCE_DIR}/tests/fuzz/targets.cmake)

add_test(NAME native_build COMMAND nice -n 10 sh ${CMAKE_CURRENT_LIST_DIR}/build.sh ${PROJECT_SOURCE_DIR} ${ZEV_NATIVE_DIR} 1)
set_tests_properties(native_build PROPERTIES FIXTURES_SETUP native TIMEOUT 600 COST 1000) # first

add_test(NAME native_unit COMMAND ${ZEV_NATIVE_DIR}/pure_tests)
set_tests_properties(native_unit PROPERTIES FIXTURES_REQUIRED native TIMEOUT 120)

# A short run of each fuzz target from seeds made of real files, after its kept findings.
add_test(NAME fuzz_seeds COMMAND python3 ${PROJECT_SOURCE_DIR}/tests/fuzz/fuzz.py seeds)
set_tests_properties(fuzz_seeds PROPERTIES FIXTURES_SETUP fuzz_seeds FIXTURES_REQUIRED native TIMEOUT 120
  ENVIRONMENT "${ZEV_PYTHON_ENV}")
foreach(target ${ZEV_FUZZ_TARGETS})
  # Niced: the fuzzers keep a core busy, and the Wine tests beside them have timers to keep.
  add_test(NAME smoke_${target} COMMAND nice -n 10 python3 ${PROJECT_SOURCE_DIR}/tests/fuzz/fuzz.py smoke ${target} 2)
  set_tests_properties(smoke_${target} PROPERTIES FIXTURES_REQUIRED "fuzz_seeds;native" TIMEOUT 120
    ENVIRONMENT "${ZEV_PYTHON_ENV}")
endforeach()
