// Identifiers of the resources that the program loads from the language library
// (ZEV_DE.DLL, ZEV_EN.DLL) and of its own resources. The library scripts include this
// file, so a template and the code that uses it name the same controls.
#pragma once

// Dialog templates
#define IDD_ABOUTBOX           100
#define IDD_SERVICE_DIALOG     102
#define IDD_TEXT_ENTRY         130
#define IDD_MONITOR            135
#define IDD_PARAM_F            136
#define IDD_CONFIG             137
#define IDD_INTERFACE          139
#define IDD_PARAM_C            152
#define IDD_PARAM_WF           155
#define IDD_PARAM_G            156
#define IDD_PARAM_J            159
#define IDD_STEP_CALCULATOR    1003
#define IDD_SETTINGS_COMPARE   170   // the restore's comparison of device and file
#define IDD_PORTS              171   // where each COM choice leads ([Ports] in ZEV.INI)
#define IDD_RECORDING          172   // a recording of the monitor reviewed as a chart

// Icon and menu
#define IDR_MAINFRAME          128
#define IDR_MAIN_MENU          133

// Controls of the main window
#define IDC_DEVICE_VANTIK      1000  // device radio group: types 0, 1, 2
#define IDC_DEVICE_CORLAXA     1001
#define IDC_LOG                1002
#define IDC_PROGRESS           1003
#define IDC_DEVICE_BRENNIX     1004
#define IDC_COM1               1010  // COM radio group: COM1 to COM4
#define IDC_COM2               1011
#define IDC_COM3               1012
#define IDC_COM4               1013
#define IDC_STATIC             -1

// Controls of the monitor
#define IDC_MON_VOLUME         1008
#define IDC_MON_READING1       1009
#define IDC_MON_FLOW_BAR       1010
#define IDC_MON_LITRES         1012
#define IDC_MON_WHOLE          1013
#define IDC_MON_READING2       1016
#define IDC_MON_DEVIATION      1017
#define IDC_MON_COUNTERS       1018
#define IDC_MON_FLOW           1021  // large
#define IDC_MON_ERRORS         1022  // large
#define IDC_MON_RECORD         1030  // starts and stops the recording to a CSV file

// Controls of the text entry
#define IDC_TEXT_ENTRY         1006

// Controls of the parameter dialogs
#define IDC_PARAM_G_ON         1011  // 'g': the check box
#define IDC_PARAM_J_ON         1000  // 'j': the check box, checked for the device's 0
#define IDC_PARAM_F_ZERO       1011  // 'F' alone: checked writes 0, unchecked 1
#define IDC_W_ON               1013  // 'w' and 'f': the 'w' switch
#define IDC_F_LOW              1026  //   the low bit of 'f' (1)
#define IDC_F_HIGH             1027  //   the high bit of 'f' (2)
#define IDC_INTERFACE_RS232    1014  // interface radio group: positions 0 to 3
#define IDC_INTERFACE_RS232_MODIFIED 1015
#define IDC_INTERFACE_RS485    1016
#define IDC_PARAM_C_0          1025  // 'c' radio group: positions 0 and 1
#define IDC_PARAM_C_1          1026

// Controls of the configuration editor
#define IDC_CFG_MODE_DIRECT    1002  // mode radio group: direct entry (0), in thirds (1)
#define IDC_CFG_MODE_THIRDS    1004
#define IDC_CFG_OPTION_0       1003  // option radio group: 0 and 1
#define IDC_CFG_OPTION_1       1017
#define IDC_CFG_KIND           1005  // checked: SCANIA, unchecked: OTHER
#define IDC_CFG_DIRECT_LABEL   1006  // heads the direct-entry numbers; enabled with them
#define IDC_CFG_CALCULATE      1007  // opens the step calculator
#define IDC_CFG_VALUE3         1012
#define IDC_CFG_VALUE2         1013
#define IDC_CFG_VALUE1         1014
#define IDC_CFG_VALUE1_THIRDS  1015
#define IDC_CFG_VALUE3_THIRDS  1016

// Controls of the step calculator
#define IDC_CALC_HIGH          1008  // the high reading
#define IDC_CALC_LOW           1009  // the low reading
#define IDC_CALC_STEP          1010
#define IDC_CALC_RESULT        1011  // read-only
#define IDC_CALC_RUN           1012  // calculates

// Controls of the settings comparison
#define IDC_SETTINGS_FILE      1040  // the device settings file's path
#define IDC_SETTINGS_ROWS      1041  // one row per value: name, device, file, what is done

// Controls of the ports dialog
#define IDC_PORTS_COM1         1050  // the target of each COM choice: COM1 to COM4
#define IDC_PORTS_COM2         1051
#define IDC_PORTS_COM3         1052
#define IDC_PORTS_COM4         1053

// Controls of a recording's review
#define IDC_REC_CHART          1070  // the chart, in the place the template gives it
#define IDC_REC_SCROLL         1071  // moves a span through the recording
#define IDC_REC_SPAN_WHOLE     1072  // span radio group: the whole, 15, 5, 1 minutes
#define IDC_REC_SPAN_15        1073
#define IDC_REC_SPAN_5         1074
#define IDC_REC_SPAN_1         1075
#define IDC_REC_SUMMARY        1076  // the frames, the first one's time, how long
#define IDC_REC_SPAN_LABEL     1077
#define IDC_REC_SAVE_CHART     1078  // saves the chart as a PNG file

// The about box's item of the system menu (a multiple of 16, below 0xF000)
#define IDM_ABOUTBOX           0x0010

// Menu commands
#define ID_DEVICE_QUERY        40002  // 'L': one-line query
#define ID_READOUT_CAPTURE     40003  // 'O': read-out into a file
#define ID_DEVICE_CLOCK        40004  // 'T': set the device clock
#define ID_DEVICE_TEXT         40005  // 'S': send a text
#define ID_READOUT_VIEW        40006  // 'V': read-out into the log
#define ID_DEVICE_COMMAND_Y    40007  // 'Y'
#define ID_DEVICE_COMMAND_X    40008  // 'X'
#define ID_DEVICE_COMMAND_XS   40009  // 'x'
#define ID_DEVICE_TEXT_N       40010  // 'N' with a text
#define ID_DEVICE_TEXT_H       40011  // 'H' with a text
#define ID_LINK_CONNECT        40012
#define ID_LINK_DISCONNECT     40013
#define ID_MONITOR             40015  // 'M': live flow monitor
#define ID_PARAM_F             40016  // 'F' alone
#define ID_FIRMWARE_DOWNLOAD   40017  // 'D'
#define ID_CONFIG_EDIT         40018  // 'r' 'h' '3' 'b', then the editor
#define ID_PARAM_G             40019  // 'g' / 'G'
#define ID_PARAM_INTERFACE     40020  // '4' / '2'
#define ID_PARAM_C             40022  // 'c' / 'C'
#define ID_PARAM_WF            40023  // 'w' 'f' / 'W' 'F'
#define ID_PARAM_J             40024  // 'j' / 'J'
#define ID_SETTINGS_SAVE       40030  // the reads of the configuration and parameters into a file
#define ID_SETTINGS_RESTORE    40031  // a device settings file compared, written and read back
#define ID_LINK_PORTS          40032  // where each COM choice leads: the ports dialog
#define ID_MONITOR_OPEN_RECORDING 40033 // a recording of the monitor opened for a review

// Strings
#define IDS_ABOUTBOX           101   // the about item of the system menu
#define IDS_TX_TIMEOUT         102   // transmission not complete in time
#define IDS_RX_TIMEOUT         103   // no answer in time
#define IDS_TX_REFUSED         104   // send refused: transmitter not free
#define IDS_PORT_OPENED        105
#define IDS_DISCONNECTED       111
#define IDS_PORT_FAILED        112
#define IDS_FIRMWARE_FILES     106   // the firmware files' kind, in the file dialog's filter
#define IDS_ALL_FILES          107   // all files, in the file dialogs' filters
#define IDS_DOWNLOAD_START     108   // one text: the firmware file's path
#define IDS_DOWNLOAD_DONE      109
#define IDS_DOWNLOAD_RESEND    110   // two unsigned numbers: frames so far, file position
#define IDS_CLOCK_SENT         113   // one text: the clock text
#define IDS_QUERY_REPLY        114   // one text: the 'L' reply
#define IDS_TEXT_S_TITLE       115   // title of the text entry for 'S'
#define IDS_CAPTURE_FILES      116   // the capture files' kind, in the file dialog's filter
#define IDS_CAPTURE_START      117   // one text: the capture file's path
#define IDS_COMMAND_Y          118
#define IDS_COMMAND_X          119
#define IDS_COMMAND_XS         120
#define IDS_TEXT_N_SENT        121   // one text: the entered text
#define IDS_TEXT_H_SENT        122   // one text: the entered text
#define IDS_TEXT_N_TITLE       127   // title of the text entry for 'N'
#define IDS_TEXT_H_TITLE       128   // title of the text entry for 'H'
#define IDS_MONITOR_START      130
#define IDS_TEXT_S_SENT        131   // one text: the entered text
#define IDS_CFG_VALUES         134   // one text: the 'r' reply
#define IDS_CFG_KIND           137   // one text: the '3' reply
#define IDS_CFG_OPTION         141   // one text: the 'b' reply
#define IDS_CFG_MODE           159   // one text: the 'h' reply
#define IDS_CFG_KIND_WRITE     129   // one text: "OTHER" or "SCANIA"
#define IDS_PARAM_F_WRITE      132   // one number: the value written with 'F' alone
#define IDS_CFG_WRITE          133   // three unsigned numbers: the values written with 'R'
#define IDS_PARAM_W_WRITE      135   // one number
#define IDS_PARAM_W_REPLY      136   // one text: the 'w' reply
#define IDS_INTERFACE_WRITE    138   // one number
#define IDS_INTERFACE_REPLY    139   // one text: the '4' reply
#define IDS_CFG_OPTION_WRITE_1 140   // one number (1): the option written with 'B'
#define IDS_PARAM_C_REPLY      150   // one text: the 'c' reply
#define IDS_PARAM_F_REPLY      151   // one text: the 'f' reply
#define IDS_PARAM_C_WRITE      153   // one number
#define IDS_PARAM_F_FOLLOW     154   // one number: 'F' written after 'W'
#define IDS_PARAM_G_REPLY      155   // one text: the 'g' reply
#define IDS_PARAM_G_WRITE      156   // one number
#define IDS_PARAM_J_REPLY      157   // one text: the 'j' reply
#define IDS_PARAM_J_WRITE      158   // one number
#define IDS_CFG_MODE_WRITE     160   // one number: the mode written with 'H'
#define IDS_CFG_OPTION_WRITE_0 161   // one number (0): the option written with 'B'
#define IDS_CALC_MISSING       166   // the calculator lacks a reading or the step
#define IDS_RANGE              167   // inserts %1 and %2: the smallest and largest value
#define IDS_CALC_OUT_OF_RANGE  168   // two numbers: the smallest and largest result (1, 17)
#define IDS_CFG_FIRST_TOO_LOW  169   // the first number is below the third
#define IDS_CFG_THIRD_TOO_HIGH 170   // the third number is above the first
#define IDS_BUSY_QUESTION      123
#define IDS_BUSY_CAPTION       124
#define IDS_CONNECT_QUESTION   125
#define IDS_CONNECT_CAPTION    126
#define IDS_UNEXPECTED_ESC     149
#define IDS_PROGRAM_START      142
#define IDS_PROGRAM_END        143
#define IDS_SELECTION_CHANGED  144
#define IDS_PORT_CHANGED       145
#define IDS_LOGFILE_FAILED     180   // the log file cannot be created: file name, reason
#define IDS_PORT_FAILED_BOX    181   // the port cannot be opened: port number, the library's reason
#define IDS_SETTINGS_UNSAVED   182   // the settings file cannot be written: file name, reason
#define IDS_FIRMWARE_UNREADABLE 184  // the firmware file cannot be opened: file name, reason
#define IDS_CAPTURE_UNWRITABLE 185   // the capture file cannot be created: file name, reason
#define IDS_NOTHING_CHOSEN     186   // no value chosen in a parameter dialog: nothing written
#define IDS_CFG_KIND_UNKNOWN   187   // one number: a kind neither 0 nor 1 ends the write chain
#define IDS_MONITOR_FAILED     188   // the monitor window cannot be opened: nothing is sent
#define IDS_LOGFILE_UNWRITABLE 189   // a write of the log file failed: file name, reason
#define IDS_RX_LINE_DROPPED    190   // one number: a line that long without CR is dropped
#define IDS_CAPTURE_WRITE_FAILED 191 // the capture file could not be written: file name, reason
#define IDS_TRACE_ON           192   // the traffic trace is written: file name
#define IDS_TRACE_FAILED       193   // the trace file cannot be written: file name, reason
#define IDS_MON_RECORD_START   194   // the monitor's values are recorded: file name
#define IDS_MON_RECORD_END     195   // the recording has ended: file name
#define IDS_MON_RECORD_FAILED  196   // the recording file cannot be written: file name, reason
#define IDS_MON_RECORD_BUTTON  197   // the record button's text
#define IDS_MON_STOP_BUTTON    198   // the record button's text while recording
#define IDS_CSV_FILES          199   // the CSV files' kind, in the file dialog's filter
#define IDS_END_DURING_DOWNLOAD 200  // the question before the program ends in a download
#define IDS_END_DURING_OPERATION 201 // the question before the program ends in an operation
#define IDS_DOWNLOAD_ABANDONED_LINES 202  // two unsigned numbers: the line in flight, the lines
#define IDS_DOWNLOAD_ABANDONED_BLOCKS 203 // two unsigned numbers: the block in flight, the blocks
#define IDS_FIRMWARE_EMPTY     204   // one text: a firmware file with nothing to send
#define IDS_FIRMWARE_BAD_RECORDS 205 // the file, the bad lines, the first one's number, why
#define IDS_FIRMWARE_SEND_ANYWAY 206 // the question after IDS_FIRMWARE_BAD_RECORDS
#define IDS_SREC_NOT_RECORD    207   // why a line is no S-record
#define IDS_SREC_NOT_HEX       208
#define IDS_SREC_LENGTH        209
#define IDS_SREC_CHECKSUM      210
#define IDS_FIRMWARE_READ_FAILED 211 // the file, the reason, the bytes sent, the bytes of the file
#define IDS_FIRMWARE_CHANGED   212   // the reason when the file is not the size it was
#define IDS_DOWNLOAD_REFUSED_LINE 213  // two unsigned numbers: the line, the refusals in a row
#define IDS_DOWNLOAD_REFUSED_BLOCK 214 // two unsigned numbers: the block, the refusals in a row
#define IDS_CFG_WRITE_CUT      215   // two texts: the step not taken, the steps written
#define IDS_CFG_WRITE_CUT_NONE 216   // one text: the step not taken
#define IDS_CAPTURE_ENDED_EARLY 217  // a number and a text: the lines kept, the capture file
#define IDS_SETTINGS_FILES     218   // the device settings files' kind, in the file dialog's filter
#define IDS_SETTINGS_SAVE_START 219  // one text: the device settings file
#define IDS_SETTINGS_SAVED     220   // one text: the device settings file
#define IDS_SETTINGS_SAVE_FAILED 221 // the device settings file, the reason
#define IDS_SETTINGS_RESTORE_START 222 // one text: the device settings file
#define IDS_SETTINGS_UNREADABLE 223  // the device settings file, the reason
#define IDS_SETTINGS_BAD_FILE  224   // the device settings file, what is wrong with it
#define IDS_SETFILE_TOO_LARGE  225   // what is wrong: no number or text
#define IDS_SETFILE_NOT_TEXT   226   // what is wrong: one unsigned number, the line
#define IDS_SETFILE_BAD_LINE   227   //   the line
#define IDS_SETFILE_UNKNOWN_SECTION 228 // the line, the section
#define IDS_SETFILE_UNKNOWN_KEY 229  //   the line, the key
#define IDS_SETFILE_DUPLICATE_KEY 230 //  the line, the key
#define IDS_SETFILE_BAD_ESCAPE 231   //   the line
#define IDS_SETFILE_MISSING_TYPE 232 //   none
#define IDS_SETFILE_MISSING_VALUE 233 //  one text: the value's letter
#define IDS_SETFILE_NO_END     234   //   none
#define IDS_SETFILE_AFTER_END  235   //   the line
#define IDS_SETTINGS_OTHER_TYPE 236  // the device settings file, its device type, the type connected
#define IDS_SETTINGS_CANCELLED 237   // the comparison was cancelled: nothing written
#define IDS_SETTINGS_NOT_WRITTEN 238 // two texts: the value's letter, why it is not written
#define IDS_SETTINGS_VERIFIED  239   // the restore is written and read back equal
#define IDS_SETTINGS_ALREADY   240   // the device held the file's values: nothing written
#define IDS_SETTINGS_DIFFERS   241   // three texts: the letter, the device's reply, the file's
#define IDS_SETTINGS_NOT_VERIFIED 242 // one unsigned number: the values that differ
#define IDS_SETTINGS_CUT_SAVE  243   // one text: the step where a save stopped
#define IDS_SETTINGS_CUT_NONE  244   // one text: the step where a restore stopped
#define IDS_SETTINGS_CUT_WRITTEN 245 // two texts: that step, the letters already written
#define IDS_SETTINGS_ROW_EQUAL 246   // the comparison's last column
#define IDS_SETTINGS_ROW_WRITE 247
#define IDS_SETTINGS_ROW_AFTER_W 248
#define IDS_SETTINGS_REFUSED_NUMBERS 249 // why a value is not written
#define IDS_SETTINGS_REFUSED_RANGE 250 //  two unsigned numbers: the range
#define IDS_SETTINGS_REFUSED_WORD 251
#define IDS_SETTINGS_BAD_REPLY 400   // three texts: the read letter, its reply, where the run stopped
// The unattended run (unattended/, app/ServiceApp.cpp)
#define IDS_RUN_START          320   // one text: the arguments as given
#define IDS_RUN_UNIT_START     321   // one unsigned number: the unit
#define IDS_RUN_UNIT_DONE      322   // an unsigned number and a text: the unit, the seconds
#define IDS_RUN_UNIT_FAILED    323   // unsigned, text, text, unsigned: the unit, the step, what the exit code means, the code
#define IDS_RUN_NEXT_UNIT      324   // a bench run: the bench is empty, the next unit is awaited
#define IDS_RUN_SAME_IDENT     325   // one text: the identification line
#define IDS_RUN_ANSWERED_NO    326
#define IDS_RUN_RESULT_FAILED  327   // two texts: the file, the reason
#define IDS_RUN_END            328   // an unsigned number and a text: the exit code, what it means
#define IDS_ARG_NOT_OFFERED    329   // four texts: the argument, the type that offers it (twice), the type given
#define IDS_ARG_UNKNOWN        330   // one text: the argument
#define IDS_ARG_MISSING        331   // one text: the argument
#define IDS_ARG_BAD_PORT       332   // one text: the argument
#define IDS_ARG_BAD_DEVICE     333   // one text: the argument
#define IDS_ARG_TWICE          334   // one text: the argument
#define IDS_ARG_NO_STEPS       335   // one text: the argument
#define IDS_USAGE              336
#define IDS_EXIT_0             337   // what exit code 0 means
#define IDS_EXIT_1             338
#define IDS_EXIT_2             339
#define IDS_EXIT_3             340
#define IDS_EXIT_4             341
#define IDS_EXIT_5             342
#define IDS_EXIT_6             343
#define IDS_EXIT_7             344
#define IDS_EXIT_8             345
// The files a run names, looked at before the device is touched (unattended/RunFileChecks.cpp)
#define IDS_FIRMWARE_UNREAD    500   // two texts: the firmware file, the reason
#define IDS_RUN_FILES_REFUSED  501
// The result file's append (unattended/ResultFile.cpp)
#define IDS_RUN_RESULT_HELD    450   // one text: the result file
#define IDS_RUN_RESULT_PENDING 451   // three texts: the result file, the reason, the pending file
#define IDS_RUN_ROW_LOST       452   // three texts: the pending file, the reason, the row
#define IDS_RUN_PENDING_MOVED  453   // an unsigned number and a text: the rows, the pending file
#define IDS_RUN_RESULT_OTHER_HEADER 454 // one text: the result file
#define IDS_LINK_LOST_ADVICE   260   // after a link error: what the technician does
#define IDS_LINK_LOST          261   // a command while the link is lost: nothing is sent
#define IDS_LINE_ERRORS        262   // port number, the kinds' names, their count since the last such line
#define IDS_LINE_ERROR_FRAMING 263   // the kinds' names in that line
#define IDS_LINE_ERROR_PARITY  264
#define IDS_LINE_ERROR_OVERRUN 265
#define IDS_LINE_ERROR_BREAK   266
#define IDS_TRACE_LIMIT        300   // the trace has reached its size limit: file name, the limit in MB (a text)
#define IDS_DOWNLOAD_END_NOT_TAKEN 550 // one unsigned number: the blocks sent
#define IDS_DOWNLOAD_REFUSED_END 551   // one unsigned number: the refusals in a row
#define IDS_RUN_TAKE_OFF       552   // a bench run: the unit just done is to be taken off
#define IDS_RUN_STEP_DEADLINE  553   // a text and an unsigned number: the step, the seconds
// Where a COM choice leads ([Ports] in ZEV.INI, /port, the ports dialog; app/PortChoices.cpp)
#define IDS_PORT_LEADS_TO      560   // two texts: the choice ("COM1"), where it leads ("COM7")
#define IDS_PORT_ARGUMENT      561   // one text: the port the command line names
#define IDS_PORTS_BAD_VALUE    562   // four texts: the key, its value, why it is refused, the key
#define IDS_PORTS_BAD_FIELD    563   // two texts: the field ("COM2"), why it is refused
#define IDS_PORTS_SET          564   // two texts: the choice, where it leads now
#define IDS_PORTS_UNSET        565   // one text: the choice, which opens its own COM port again
#define IDS_PORTS_UNSAVED      566   // two texts: the settings file, the reason
#define IDS_PORT_FAULT_EMPTY   570   // why a port is refused (PortFault, in its order)
#define IDS_PORT_FAULT_BLANK   571
#define IDS_PORT_FAULT_FORM    572
#define IDS_PORT_FAULT_COM     573
#define IDS_PORT_FAULT_NO_HOST 574
#define IDS_PORT_FAULT_HOST    575
#define IDS_PORT_FAULT_NO_TCP_PORT 576
#define IDS_PORT_FAULT_TCP_PORT 577
#define IDS_PORT_FAULT_TRAILING 578
// A recording of the monitor read back and reviewed (monitor/RecordingOpen.cpp)
#define IDS_REC_UNREADABLE     620   // two texts: the file, the reason
#define IDS_REC_REFUSED        621   // the file, the line's number, the line, why (IDS_REC_WHY_...)
#define IDS_REC_EMPTY          622   // one text: the file
#define IDS_REC_NO_ROWS        623   // one text: the file
#define IDS_REC_WHY_HEADER     624   // why a line is refused: none
#define IDS_REC_WHY_COLUMNS    625   //   one unsigned number: the columns it has
#define IDS_REC_WHY_TIME       626   //   none
#define IDS_REC_WHY_NUMBER     627   //   an unsigned number and a text: the column, its name
#define IDS_REC_WHY_BACKWARDS  628   //   one text: the time of the row before
#define IDS_REC_WHY_NOT_TEXT   629   //   none
#define IDS_REC_WHY_TOO_LONG   630   //   none
#define IDS_REC_CUT_SHORT      631   // a text and an unsigned number: the file, the line left out
#define IDS_REC_OPENED         632   // the file, the frames, the first one's time, how long
#define IDS_REC_TITLE          633   // one text: the file's name
#define IDS_REC_SUMMARY        634   // the frames, the first one's time, how long
#define IDS_REC_WINDOW_FAILED  635   // one text: the file

// The monitor's flow chart (monitor/FlowChart.*, monitor/MonitorDlg.*)
#define IDC_MON_CHART          1060  // the chart, a "ZevFlowChart" window
#define IDC_MON_SPAN           1061  // the span shown: 1, 5 or 15 minutes
#define IDC_MON_SPAN_LABEL     1062  // its label
#define IDC_MON_SAVE_CHART     1064  // saves the chart as a PNG file
#define IDS_CHART_FLOW         600   // the flow trace's legend
#define IDS_CHART_ERRORS       601   // the impulse-error trace's legend
#define IDS_CHART_NO_VALUES    602   // a chart with no sample in its span
#define IDS_CHART_NOT_SHOWN    603   // a chart with no window cannot be saved
#define IDS_CHART_SAVED        604   // one text: the PNG file written
#define IDS_CHART_SAVE_FAILED  605   // two texts: the PNG file, the reason
#define IDS_PNG_FILES          606   // the file dialog's kind

// A download's status line, the time it took; the earlier sessions' logs (ops/DownloadStatus.cpp, log/KeptLogs.cpp)
#define IDC_DOWNLOAD_STATUS    1080  // the main window's line under the progress bar
#define IDS_DOWNLOAD_PACE_LINES 640  // two unsigned numbers: the lines sent, the file's lines
#define IDS_DOWNLOAD_PACE_BLOCKS 641 // two unsigned numbers: the blocks sent, the file's blocks
#define IDS_DOWNLOAD_RATE_LINES 642  // four unsigned numbers and a text: sent, the file's, the rate's whole and tenth, the time left
#define IDS_DOWNLOAD_RATE_BLOCKS 643 //   the same for blocks
#define IDS_DOWNLOAD_TOOK_LINES 644  // a text and two unsigned numbers: the time taken, the rate's whole and tenth
#define IDS_DOWNLOAD_TOOK_BLOCKS 645 //   the same for blocks
#define IDS_KEPT_LOG_NOT_MOVED 646   // three texts: the log, the name it should take, the reason
#define IDS_KEPT_LOG_NOT_DELETED 647 // two texts: the oldest log, the reason
