// The check of an S-record firmware file before it goes out, as byte rules that need no
// window. The device refuses a bad record for ever, so the technician is told before 'D'.
#pragma once

#include <string>

enum class SRecordFault {
    None,       // a record the device takes, or an empty line (it goes out as a lone CR)
    NotRecord,  // no 'S' and type digit at its start, or the reserved type S4
    NotHex,     // a character after the type that is no hex digit
    Length,     // an odd number of digits, or a count that does not match them
    Checksum,   // the last byte is not the ones' complement of the sum of the others
};

// The fault of one line of the file, read without its line end. Blanks at the end of
// the line are no fault: the device ignores them.
SRecordFault CheckSRecordLine(const std::string& strLine);

// What a survey of the whole file found.
struct SRecordSurvey {
    unsigned nLines = 0;      // lines, each one frame (empty ones too)
    unsigned nRecords = 0;    // lines that are not empty
    unsigned nDataRecords = 0; // S1, S2 and S3 lines, valid or not: the firmware itself
    unsigned nBad = 0;        // lines with a fault
    unsigned nFirstBad = 0;   // the first of them, counted from 1; 0 when none
    SRecordFault firstFault = SRecordFault::None;

    // Adds the next line of the file.
    void Add(const std::string& strLine);

    // A file of a header and an end record alone (S0 and S9) and a file of empty lines
    // bring the device no code: there is nothing to send.
    bool HoldsNothingToSend() const { return nDataRecords == 0; }
};
