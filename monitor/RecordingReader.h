// The monitor's recording read back: the CSV file the monitor window's record button
// writes (MonitorCsvHeader, then one FormatMonitorCsvRow a frame) as the flow rate and the
// impulse-error count over time, for a review. Window-free.
//
// A row's time of day is the PC's at the frame, so the seconds count from the first row and
// run on across midnight; a step back of a second or two is the PC's clock being set and
// costs no time. The file is read as it comes (Feed), so a long recording needs no copy in
// memory; the first line that is wrong ends the reading with its number, its text and why.
#pragma once

#include "FlowSeries.h"

#include <cstddef>
#include <string>
#include <vector>

// The columns of a row: the time of day, then ten numbers.
constexpr unsigned kRecordingColumns = 11;
// No row is longer: eleven columns of the longest numbers the frames give (a corrupt frame's
// readings print hundreds of digits each). A longer line is not a row.
constexpr std::size_t kMaxRecordingLine = 4096;
// A step back in time of at most this many seconds is the PC's clock set back, not a fault.
constexpr double kClockSetBackSeconds = 2.0;

// Why a text is no recording; the line is where it was found.
enum class RecordingFault {
    None,
    Empty,          // no line at all
    NotText,        // a NUL byte
    LineTooLong,    // longer than kMaxRecordingLine: no row
    WrongHeader,    // the first line does not name the recording's columns
    ColumnCount,    // a row without kRecordingColumns columns (nDetail: the columns it has)
    BadTime,        // the first column is no time of day hh:mm:ss.mmm
    NotNumber,      // a column is no number of its kind (nDetail: the column, from 1)
    TimeBackwards,  // the time goes back from the row before (strDetail: that row's time)
    NoRows,         // the header and no row (the line: the header's)
};

struct RecordingReadResult {
    RecordingFault fault = RecordingFault::None;
    unsigned nLine = 0;            // the line of the fault, from 1
    unsigned nDetail = 0;          // the column count or the column, by the fault
    std::string strDetail;         // the time of the row before, for TimeBackwards
    std::string strLine;           // the line of the fault, as the file has it, cut at kMaxRecordingLine
    std::vector<FlowSample> samples; // one a row, in the file's order; empty on a fault
    std::string strFirstTime;      // the first row's time of day, "14:03:07.123"
    unsigned nCutLine = 0;         // a last line without its line end that is no row: its number, left out
};

class RecordingReader {
public:
    // The next bytes of the file, in any pieces; what follows a fault is not looked at.
    void Feed(const char* pData, std::size_t nSize);
    // The file has ended: the result, the reader spent.
    RecordingReadResult Finish();
    // A fault has been found: the rest of the file need not be read.
    bool HasFailed() const { return m_result.fault != RecordingFault::None; }

private:
    // One line without its line end; bEnded FALSE for a last line that has none.
    void TakeLine(const char* pLine, std::size_t nLength, bool bEnded);
    void TakeHeader(const char* pLine, std::size_t nLength);
    void TakeRow(const char* pLine, std::size_t nLength, bool bEnded);
    void Fail(RecordingFault fault, const char* pLine, std::size_t nLength, unsigned nDetail = 0);

    RecordingReadResult m_result;
    std::string m_strPartial;   // the line begun at the end of the last piece
    unsigned m_nLine = 0;       // lines taken so far
    bool m_bHeaderTaken = false;
    long long m_nLastTimeOfDay = 0; // milliseconds since midnight of the last row
    long long m_nElapsedMs = 0;     // milliseconds of the last row since the first
    std::string m_strLastTime;  // the last row's time as written
};

// The whole text of a file at once.
RecordingReadResult ReadRecordingText(const std::string& strText);

// The name the header gives column nColumn (from 1), "flow (L/min)"; empty outside 1 to 11.
std::string RecordingColumnName(unsigned nColumn);

// A line as a message shows it: control bytes as '?', at most nMax bytes, "..." after a cut.
std::string ShownRecordingLine(const std::string& strLine, std::size_t nMax = 60);

// "1:02:03" or "2:03" for a duration of seconds, rounded down to the second.
std::string FormatRecordingDuration(double dSeconds);
