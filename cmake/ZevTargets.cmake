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
# The private Wine prefix of the tests (null graphics driver, COM ports on ptys).
set(ZEV_TEST_PREFIX ${CMAKE_BINARY_DIR}/wine/test-prefix)
# The tool-side ends of the pty pairs that the test prefix maps to COM ports.
set(ZEV_TTY_DIR ${CMAKE_BINARY_DIR}/wine/tty)
# Firmware files for the download tests, made at build time (tests/firmware).
set(ZEV_FIRMWARE_DIR ${CMAKE_BINARY_DIR}/tests/firmware)

set(ZEV_WINE_ENV
  "WINEPREFIX=${ZEV_TEST_PREFIX}"
  "WINEDEBUG=-all"
  "WINEDLLOVERRIDES=mscoree,mshtml="
  "WINEPATH=Z:${ZEV_DIST_DIR}"
  "ZEV_DIST=${ZEV_DIST_DIR}"
  "ZEV_TTY=${ZEV_TTY_DIR}"
  "ZEV_TEST_BIN=${ZEV_TEST_BIN_DIR}"
  "ZEV_FIRMWARE=${ZEV_FIRMWARE_DIR}")

# zev_test_program(target sources...): a doctest program built for the tests.
function(zev_test_program target)
  add_executable(${target} ${ARGN})
  target_link_libraries(${target} PRIVATE doctest_main)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZEV_TEST_BIN_DIR})
endfunction()

# Prefixes whose displays report 120 and 144 pixels per inch, for the font sizes and the
# layouts that mix dialog units with a font's own size.
set(ZEV_TEST_PREFIX_120DPI ${CMAKE_BINARY_DIR}/wine/test-prefix-120dpi)
set(ZEV_TEST_PREFIX_144DPI ${CMAKE_BINARY_DIR}/wine/test-prefix-144dpi)

# zev_add_test(NAME name COMMAND cmd... [SERIAL] [DPI120|DPI144] [TIMEOUT s]): a test run
# under Wine in the test prefix (DPI120, DPI144: in the prefix of that resolution). SERIAL
# tests use the COM-port ptys and never run side by side.
function(zev_add_test)
  cmake_parse_arguments(T "SERIAL;DPI120;DPI144" "NAME;TIMEOUT" "COMMAND" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set(env ${ZEV_WINE_ENV})
  set(fixture wine_prefix)
  if(T_DPI120)
    list(TRANSFORM env REPLACE "^WINEPREFIX=.*" "WINEPREFIX=${ZEV_TEST_PREFIX_120DPI}")
    set(fixture wine_prefix_120dpi)
  elseif(T_DPI144)
    list(TRANSFORM env REPLACE "^WINEPREFIX=.*" "WINEPREFIX=${ZEV_TEST_PREFIX_144DPI}")
    set(fixture wine_prefix_144dpi)
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_COMMAND} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "${env}"
    FIXTURES_REQUIRED ${fixture}
    TIMEOUT ${T_TIMEOUT})
  if(T_SERIAL)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK com_ports)
  endif()
endfunction()

# zev_window_code(TARGET): a part of the program's window code (CServiceDlg's members, the
# dialogs). It sees its own folder, the main window's header with what it names (app/,
# link/), the window-free rules, the framework and KORA.DLL's interface.
function(zev_window_code target)
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/app
    ${PROJECT_SOURCE_DIR}/link)
  target_link_libraries(${target} PUBLIC zevrules framework kora)
endfunction()
