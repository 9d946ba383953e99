# The program's window-free rules: byte-level logic that needs no window (framing, frame
# building and decoding, reply parsing, number rules, the files' formats, the command
# line). This one list feeds the program's rules library (app/CMakeLists.txt), the native
# sanitizer build and its fuzz targets (tests/native); their unit tests run natively and,
# in the in-process test program, under Wine against the program's own build.
# Paths are relative to the top of the source tree.
set(ZEV_RULES_SOURCES
  app/DeviceTypes.cpp
  app/FormatCheck.cpp
  app/SettingsPath.cpp
  link/ConnectionString.cpp
  link/LineErrorTally.cpp
  link/ReceiveFraming.cpp
  link/ReplyRules.cpp
  log/LogWindowPlan.cpp
  log/TraceFormat.cpp
  monitor/MonitorFrame.cpp
  ops/ClockText.cpp
  ops/FirmwareFrames.cpp
  ops/SRecordCheck.cpp
  params/ConfigRules.cpp
  params/SettingsFile.cpp
  params/SettingsRules.cpp
  unattended/CommandLine.cpp
  unattended/ResultRow.cpp
  unattended/RunOutcome.cpp
  unattended/UnitFiles.cpp)

# The folders of their headers.
set(ZEV_RULES_INCLUDE_DIRS app link log monitor ops params unattended)

# Their unit tests.
set(ZEV_RULES_TESTS
  tests/pure/test_command_line.cpp
  tests/pure/test_config_rules.cpp
  tests/pure/test_format_check.cpp
  tests/pure/test_line_error_tally.cpp
  tests/pure/test_monitor_frame.cpp
  tests/pure/test_ops_rules.cpp
  tests/pure/test_param_replies.cpp
  tests/pure/test_receive_framing.cpp
  tests/pure/test_result_row.cpp
  tests/pure/test_settings_file.cpp
  tests/pure/test_settings_path.cpp
  tests/pure/test_settings_rules.cpp
  tests/pure/test_trace_format.cpp
  tests/pure/test_unit_files.cpp)

# zev_rules_paths(OUT ROOT LIST...): each path of LIST under ROOT.
function(zev_rules_paths out root)
  set(paths)
  foreach(path ${ARGN})
    list(APPEND paths ${root}/${path})
  endforeach()
  set(${out} ${paths} PARENT_SCOPE)
endfunction()
