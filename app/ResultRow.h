// One row of the result file per unit of an unattended run: what a production bench keeps
// of each unit. Comma separated as the monitor's recording is; a field that holds a comma,
// a quote or a blank at either end is quoted, and bytes a line cannot hold (control bytes,
// a device's garbage) are written as \xHH, so one unit is always one line.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct UnitResult {
    std::string strDate;          // YYYY-MM-DD, local time of the unit's start
    std::string strTime;          // HH:MM:SS
    int nPort = 0;                // the COM port number
    std::string strDevice;        // the device type's name
    std::string strIdent;         // the wake-up's identification line, as received
    int nExitCode = 0;            // the unit's outcome as an exit code; 0 all done
    double dSeconds = 0;          // from the start of the wake-up to the unit's end
    std::string strFirmware;      // the firmware file's name without its folder; empty: none
    long long nFirmwareBytes = -1; // its size; -1 when there is none or it was not read
    std::string strFirmwareSha256; // its SHA-256 in lower-case hex; empty when not read
    std::vector<std::pair<std::string, std::string>> steps; // name and outcome, in order
};

// The header row for a file that is new; its step columns are as many as nSteps.
std::string ResultCsvHeader(std::size_t nSteps);
// The unit's row, ending in CR LF.
std::string ResultCsvRow(const UnitResult& unit);
// One field as the row writes it.
std::string CsvField(const std::string& strValue);
// Lower-case hex of bytes (the digest Windows computes).
std::string HexOfBytes(const unsigned char* pBytes, std::size_t nCount);
