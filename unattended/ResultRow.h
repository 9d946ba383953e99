// One row of the result file per unit of an unattended run: what a production bench keeps
// of each unit. Comma separated as the monitor's recording is; a field that holds a comma,
// a quote or a blank at either end is quoted, and bytes a line cannot hold (control bytes,
// a device's garbage) are written as \xHH, so one unit is always one line.
//
// The columns are the same whatever steps a run has: the unit's, the connect's outcome, and
// for each step kind an outcome and the file the step used, empty where the kind was not
// asked. So every row of a file matches its header, whichever run wrote it.
#pragma once

#include <string>
#include <utility>
#include <vector>

// What one step came to: its name as the log gives it ("connect", "download", ...), its
// outcome ("done", "failed: ...", "skipped") and the file it read or wrote (a full name;
// empty for the clock, the connect and a step that never ran).
struct StepOutcome {
    StepOutcome(std::string name, std::string outcome, std::string file = std::string())
        : strName(std::move(name)), strOutcome(std::move(outcome)), strFile(std::move(file))
    {
    }
    std::string strName;
    std::string strOutcome;
    std::string strFile;
};

struct UnitResult {
    std::string strDate;          // YYYY-MM-DD, local time of the unit's start
    std::string strTime;          // HH:MM:SS
    std::string strPort;          // what was opened: "COM1", "COM7", "rfc2217://host:4001"
    std::string strDevice;        // the device type's name
    std::string strIdent;         // the wake-up's identification line, as received
    int nExitCode = 0;            // the unit's outcome as an exit code; 0 all done
    double dSeconds = 0;          // from the start of the wake-up to the unit's end
    std::string strFirmware;      // the firmware file's name without its folder; empty: none
    long long nFirmwareBytes = -1; // its size; -1 when there is none or it was not read
    std::string strFirmwareSha256; // its SHA-256 in lower-case hex; empty when not read
    std::vector<StepOutcome> steps; // in the order they ran, the connect first
};

// The header row, the same for every file.
std::string ResultCsvHeader();
// Whether a file's first bytes are this header's line (with CR LF or LF alone, as an
// editor may save it): a file begun by another version has other columns.
bool StartsWithResultHeader(const std::string& strStart);
// The unit's row, ending in CR LF. A step kind given twice shows the outcome of its first
// failure (else "skipped" when one was skipped, else "done") and its files joined by ";".
std::string ResultCsvRow(const UnitResult& unit);
// One field as the row writes it.
std::string CsvField(const std::string& strValue);
// Lower-case hex of bytes (the digest Windows computes).
std::string HexOfBytes(const unsigned char* pBytes, std::size_t nCount);

// The file a row goes to when the result file cannot be written: "units.csv" gives
// "units.pending.csv", any other name gets ".pending.csv" added ("units.txt.pending.csv").
std::string PendingFileName(const std::string& strResultPath);
// The rows a pending file holds, ready to append: its header line left out, a last line
// cut short (a write that was cut) ended with CR LF, so no row is lost or glued to the next.
std::string PendingRows(const std::string& strPendingText, const std::string& strHeader);
// The text one append writes to a file of nSize bytes whose last byte is chLast: the
// header first when the file is empty, a CR LF first when its last line has no end, then
// the rows.
std::string AppendText(long long nSize, char chLast, const std::string& strHeader, const std::string& strRows);
