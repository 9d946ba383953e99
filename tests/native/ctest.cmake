# The native build's tests, run by ctest beside the Wine tests. The first of them builds
# build/native (clang, AddressSanitizer and UndefinedBehaviorSanitizer), or brings it up to
# date, on one core. It and the fuzzers run at idle priority (SCHED_IDLE; niced where chrt
# is missing): they take only the time that the Wine tests beside them leave, so that the
# Wine programs' timers and starts never wait for them.
set(ZEV_NATIVE_DIR ${CMAKE_BINARY_DIR}/native)
include(${PROJECT_SOURCE_DIR}/tests/fuzz/targets.cmake)
find_program(ZEV_CHRT chrt)
if(ZEV_CHRT)
  set(idle ${ZEV_CHRT} --idle 0)
else()
  set(idle nice -n 19)
endif()

add_test(NAME native_build COMMAND ${idle} sh ${CMAKE_CURRENT_LIST_DIR}/build.sh ${PROJECT_SOURCE_DIR} ${ZEV_NATIVE_DIR} 1)
set_tests_properties(native_build PROPERTIES FIXTURES_SETUP native TIMEOUT 600 COST 1000) # first

add_test(NAME native_unit COMMAND ${ZEV_NATIVE_DIR}/pure_tests)
set_tests_properties(native_unit PROPERTIES FIXTURES_REQUIRED native TIMEOUT 120)

# A short run of each fuzz target from seeds made of real files, after its kept findings.
add_test(NAME fuzz_seeds COMMAND ${idle} python3 ${PROJECT_SOURCE_DIR}/tests/fuzz/fuzz.py seeds)
set_tests_properties(fuzz_seeds PROPERTIES FIXTURES_SETUP fuzz_seeds FIXTURES_REQUIRED native TIMEOUT 120
  ENVIRONMENT "${ZEV_PYTHON_ENV}")
foreach(target ${ZEV_FUZZ_TARGETS})
  add_test(NAME smoke_${target} COMMAND ${idle} python3 ${PROJECT_SOURCE_DIR}/tests/fuzz/fuzz.py smoke ${target} 2)
  set_tests_properties(smoke_${target} PROPERTIES FIXTURES_REQUIRED "fuzz_seeds;native" TIMEOUT 120
    ENVIRONMENT "${ZEV_PYTHON_ENV}")
endforeach()
