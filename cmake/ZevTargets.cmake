# Helpers shared by the folders: naming of the distributable files and
# registration of tests that run under Wine.

# zev_dist(target NAME SUFFIX): the target's file goes to build/dist as NAME.SUFFIX.
function(zev_dist target name suffix)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${ZEV_DIST_DIR}
    LIBRARY_OUTPUT_DIRECTORY ${ZEV_DIST_DIR}
    PREFIX "" OUTPUT_NAME ${name} SUFFIX ${suffix})
endfunction()

# Where test programs land; they find the distributable DLLs through WINEPATH.
set(ZEV_TEST_BIN_DIR ${CMAKE_BINARY_DIR}/tests/bin)
# Firmware files for the download tests, made at build time (tests/firmware).
set(ZEV_FIRMWARE_DIR ${CMAKE_BINARY_DIR}/tests/firmware)

# The private Wine prefixes of the tests (null graphics driver, COM ports on ptys), each
# with its own folder of pty ends that it maps its COM ports to. The serial tests run in
# lanes, one prefix each (tests/wine/com_lane.py): test-prefix with tty, test-prefix-b
# with tty-b, test-prefix-c with tty-c. Two more report 120 and 144 pixels per inch, for
# the font sizes and the layouts that mix dialog units with a font's own size.
set(ZEV_TEST_PREFIX ${CMAKE_BINARY_DIR}/wine/test-prefix)
set(ZEV_TTY_DIR ${CMAKE_BINARY_DIR}/wine/tty)
set(ZEV_TEST_PREFIX_120DPI ${CMAKE_BINARY_DIR}/wine/test-prefix-120dpi)
set(ZEV_TTY_DIR_120DPI ${CMAKE_BINARY_DIR}/wine/tty-120dpi)
set(ZEV_TEST_PREFIX_144DPI ${CMAKE_BINARY_DIR}/wine/test-prefix-144dpi)
set(ZEV_TTY_DIR_144DPI ${CMAKE_BINARY_DIR}/wine/tty-144dpi)
# Three lanes unless asked for fewer (cmake -DZEV_COM_LANE_COUNT=1). ctest hands the lanes
# out as a resource (./zev test passes it the lanes file written here), so serial tests
# run side by side, one a lane; a plain ctest run without that file still keeps to one
# test a lane (tests/wine/com_lane.py locks its lane).
set(ZEV_COM_LANE_COUNT 3 CACHE STRING "COM-port lanes for the serial tests: 1 to 3")
set(ZEV_COM_LANES "")
foreach(suffix "" "-b" "-c")
  list(LENGTH ZEV_COM_LANES count)
  if(count LESS ZEV_COM_LANE_COUNT)
    list(APPEND ZEV_COM_LANES ${CMAKE_BINARY_DIR}/wine/test-prefix${suffix}:${CMAKE_BINARY_DIR}/wine/tty${suffix})
  endif()
endforeach()
set(ZEV_COM_LANE_SPEC ${CMAKE_BINARY_DIR}/tests/com_lanes.json)
set(lanes "")
math(EXPR last "${ZEV_COM_LANE_COUNT} - 1")
foreach(lane RANGE ${last})
  if(lanes)
    string(APPEND lanes ", ")
  endif()
  string(APPEND lanes "{\"id\": \"${lane}\", \"slots\": 1}")
endforeach()
file(WRITE ${ZEV_COM_LANE_SPEC}
  "{\"version\": {\"major\": 1, \"minor\": 0}, \"local\": [{\"com_lanes\": [${lanes}]}]}\n")

# The test harness (tools/zevharness) is a package on the Python path of every test.
set(ZEV_PYTHON_ENV "PYTHONPATH=${PROJECT_SOURCE_DIR}/tools")

# The environment of every test: Wine's settings (tools/wine/wine.env, which the scripts
# read too), the test prefix, and where the tests find what the build made. Written to
# build/tests/test.env as well, for ./zev soak, which runs beside ctest.
file(STRINGS ${PROJECT_SOURCE_DIR}/tools/wine/wine.env ZEV_WINE_SETTINGS REGEX "^[A-Z_]+=")
set(ZEV_WINE_ENV
  ${ZEV_WINE_SETTINGS}
  "WINEPREFIX=${ZEV_TEST_PREFIX}"
  "WINEPATH=Z:${ZEV_DIST_DIR}"
  "ZEV_DIST=${ZEV_DIST_DIR}"
  "ZEV_TTY=${ZEV_TTY_DIR}"
  "ZEV_TEST_BIN=${ZEV_TEST_BIN_DIR}"
  "ZEV_FIRMWARE=${ZEV_FIRMWARE_DIR}"
  "ZEV_BENCH_FIGURES=${CMAKE_BINARY_DIR}/bench"
  ${ZEV_PYTHON_ENV})
set(test_env ${ZEV_WINE_ENV})
list(TRANSFORM test_env REPLACE "^([A-Z_]+)=(.*)$" "\\1='\\2'")
list(JOIN test_env "\n" test_env)
file(WRITE ${CMAKE_BINARY_DIR}/tests/test.env "${test_env}\n")

# zev_test_program(target [TEXTS_1252] sources...): a doctest program built for the tests.
# Its own sources are built for a quick build (-Og, the headers every test file takes
# precompiled, once for all test programs); the program's code it links is the release
# build. TEXTS_1252: its string literals are in code page 1252, as the program's texts
# are (a header precompiled for other literals does not serve it: it has its own).
function(zev_test_program target)
  cmake_parse_arguments(T "TEXTS_1252" "" "" ${ARGN})
  add_executable(${target} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${target} PRIVATE doctest_main)
  target_compile_options(${target} PRIVATE -Og)
  set(donor_property ZEV_TEST_PCH)
  if(T_TEXTS_1252)
    target_compile_options(${target} PRIVATE -finput-charset=UTF-8 -fexec-charset=CP1252)
    set(donor_property ZEV_TEST_PCH_1252)
  endif()
  get_property(donor GLOBAL PROPERTY ${donor_property})
  if(donor)
    target_precompile_headers(${target} REUSE_FROM ${donor})
  else()
    target_precompile_headers(${target} PRIVATE <windows.h> <doctest.h> <string> <vector>)
    set_property(GLOBAL PROPERTY ${donor_property} ${target})
  endif()
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZEV_TEST_BIN_DIR})
endfunction()

# Seconds the longest tests take here (measured): ctest starts them first, so that none of
# them is left running alone at the end of a run (ctest learns the others' times itself).
set(ZEV_TEST_SECONDS
  e2e_unattended_command_line 50 e2e_unattended_results 48 e2e_link_serial 42 e2e_faults_noise 13
  e2e_log_trace_replay 34 app_unit 40 e2e_monitor_chart 34 e2e_unattended_steps 32
  e2e_faults_adapter_pulled 32 app_line_errors 10 e2e_params_device_settings 26
  e2e_unattended_arguments 25 kora_network 24 e2e_faults_download_time_outs 24 e2e_run_command_line 21
  e2e_params_device_end 21 e2e_faults_download 21 e2e_ops_download_s19 19 e2e_faults_log_disk 19
  kora_leak 19)

# zev_add_test(NAME name COMMAND cmd... [SERIAL] [DPI120|DPI144] [TIMEOUT s]): a test run
# under Wine in the test prefix (DPI120, DPI144: in the prefix of that resolution). SERIAL
# tests use the COM-port ptys: in the test prefix they run in a COM-port lane of their
# own (serial tests run side by side, never two in one lane); in a prefix of another
# resolution they never run beside another serial test of that prefix.
function(zev_add_test)
  cmake_parse_arguments(T "SERIAL;DPI120;DPI144" "NAME;TIMEOUT" "COMMAND" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set(env ${ZEV_WINE_ENV})
  set(fixture wine_prefix)
  set(command ${T_COMMAND})
  if(T_DPI120 OR T_DPI144)
    if(T_DPI120)
      set(dpi 120dpi)
    else()
      set(dpi 144dpi)
    endif()
    string(TOUPPER ${dpi} DPI)
    list(TRANSFORM env REPLACE "^WINEPREFIX=.*" "WINEPREFIX=${ZEV_TEST_PREFIX_${DPI}}")
    list(TRANSFORM env REPLACE "^ZEV_TTY=.*" "ZEV_TTY=${ZEV_TTY_DIR_${DPI}}")
    set(fixture wine_prefix_${dpi})
    set(lock com_ports_${dpi})
  elseif(T_SERIAL)
    # A test program named by its target runs under Wine, as ctest runs it alone.
    list(GET command 0 program)
    if(TARGET ${program})
      list(REMOVE_AT command 0)
      list(PREPEND command ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${program}>)
    endif()
    list(PREPEND command python3 ${PROJECT_SOURCE_DIR}/tests/wine/com_lane.py ${ZEV_COM_LANES} --)
    if(ZEV_COM_LANE_COUNT LESS 2)
      set(lock com_ports) # one lane: ctest keeps its slot free for a test that needs no port
    else()
      set(lane com_lanes:1)
    endif()
  endif()
  add_test(NAME ${T_NAME} COMMAND ${command} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "${env}"
    FIXTURES_REQUIRED ${fixture}
    TIMEOUT ${T_TIMEOUT})
  list(FIND ZEV_TEST_SECONDS ${T_NAME} known)
  if(known GREATER -1)
    math(EXPR known "${known} + 1")
    list(GET ZEV_TEST_SECONDS ${known} seconds)
    set_tests_properties(${T_NAME} PROPERTIES COST ${seconds})
  endif()
  if(T_SERIAL AND lock)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK ${lock})
  endif()
  if(T_SERIAL AND lane)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_GROUPS ${lane})
  endif()
endfunction()

# zev_window_code(TARGET): a part of the program's window code (CServiceDlg's members, the
# dialogs). It sees its own folder, the main window's header with what it names (app/,
# link/, unattended/), the window-free rules, the framework and KORA.DLL's interface.
# Every folder needs app/ and link/, not only the ones it uses: each holds CServiceDlg's
# members, and app/ServiceDlg.h holds link's parts by value (KoraLink.h, Operation.h). The
# folders' objects go into one library (zevapp), not a library each: they are one class's
# members and call one another, so libraries of their own would depend on each other in a
# circle.
function(zev_window_code target)
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/app
    ${PROJECT_SOURCE_DIR}/link ${PROJECT_SOURCE_DIR}/unattended)
  target_link_libraries(${target} PUBLIC zevrules framework kora)
  zev_windows_header(${target})
endfunction()

# zev_windows_header(TARGET): the target's sources take <windows.h> precompiled, as the
# framework built it (same compiler options: the program's release build).
function(zev_windows_header target)
  target_precompile_headers(${target} REUSE_FROM framework)
endfunction()
