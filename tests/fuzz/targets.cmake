# The fuzz targets, one per piece of byte-level code; each is tests/fuzz/<name>.cpp.
set(ZEV_FUZZ_TARGETS
  fuzz_receive_framing
  fuzz_monitor_frame
  fuzz_s19_lines
  fuzz_image_block
  fuzz_replies
  fuzz_config_rules
  fuzz_settings_path
  fuzz_command_line
  fuzz_settings_file
  fuzz_connection
  fuzz_port_target
  fuzz_byte_queue
  fuzz_sim_block_frame
  fuzz_sim_srecord
  fuzz_telnet
  fuzz_recording)
