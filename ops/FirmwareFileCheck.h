// A firmware file looked at before anything is sent: the download's own look before 'D',
// and an unattended run's look at every file it names before it touches the device. One
// set of rules for both, so a file the run takes is one the download takes.
#pragma once

#include "SRecordCheck.h"
#include "afxwin.h"

// Image files (a Corlaxa's) go in blocks; the other types take S-record lines.
BOOL IsImageDevice(int nDeviceType);

// How a firmware file is opened: an image as bytes, S-records as text lines.
UINT FirmwareOpenFlags(BOOL bImage);

// What a read of the whole file found.
struct FirmwareSurvey {
    ULONGLONG nEnd = 0;   // where the download must end: an image's length, or where the
                          // text of S-records ends (a Ctrl+Z may end it early)
    UINT nFrames = 0;     // the frames the file makes, the end frame not counted
    SRecordSurvey records; // S-record files only
    CString strReadError; // not empty: the file could not be read to its end (the reason)

    BOOL HoldsNothingToSend(BOOL bImage) const;
};

// Reads an open firmware file to its end (an image: only its length) and goes back to its
// start, where the download begins.
FirmwareSurvey SurveyFirmware(CStdioFile& file, BOOL bImage);

// The messages of a file the download does not start with.
CString FirmwareUnopenedText(const CString& strPath, const CString& strReason);
CString FirmwareEmptyText(const CString& strPath);
CString FirmwareBadRecordsText(const CString& strPath, const SRecordSurvey& records);

// The whole look for a run that must not start with a file it cannot send: opened, read
// to its end, something to send, and every S-record one the device takes (nobody is there
// to answer whether to send a bad one). Empty when the file is fit, else why it is not.
CString FirmwareFileFault(const CString& strPath, int nDeviceType);
