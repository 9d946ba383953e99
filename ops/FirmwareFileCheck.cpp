#include "FirmwareFileCheck.h"
#include "FirmwareFrames.h"
#include "StringFormats.h"
#include "resource.h"

#include <climits>

namespace {
UINT ClampToUInt(ULONGLONG nValue)
{
    return nValue > UINT_MAX ? UINT_MAX : static_cast<UINT>(nValue);
}

UINT SRecordFaultText(SRecordFault fault)
{
    switch (fault) {
    case SRecordFault::NotHex:
        return IDS_SREC_NOT_HEX;
    case SRecordFault::Length:
        return IDS_SREC_LENGTH;
    case SRecordFault::Checksum:
        return IDS_SREC_CHECKSUM;
    default:
        return IDS_SREC_NOT_RECORD;
    }
}
}

BOOL IsImageDevice(int nDeviceType)
{
    return nDeviceType == 1;
}

UINT FirmwareOpenFlags(BOOL bImage)
{
    // Nobody may change the file while it is read: what is digested and checked is what
    // goes out.
    return CStdioFile::modeRead | CStdioFile::shareDenyWrite | (bImage ? CStdioFile::typeBinary : CStdioFile::typeText);
}

BOOL FirmwareSurvey::HoldsNothingToSend(BOOL bImage) const
{
    return bImage ? nEnd == 0 : records.HoldsNothingToSend();
}

FirmwareSurvey SurveyFirmware(CStdioFile& file, BOOL bImage)
{
    FirmwareSurvey survey;
    if (bImage) {
        survey.nEnd = file.GetLength();
        survey.nFrames = ClampToUInt((survey.nEnd + kImageBlockSize - 1) / kImageBlockSize);
        return survey;
    }
    CString strLine;
    while (file.ReadString(strLine))
        survey.records.Add(std::string(strLine.GetString(), strLine.GetLength()));
    survey.nEnd = file.GetPosition();
    survey.nFrames = survey.records.nLines;
    if (file.ReadFailed())
        survey.strReadError = file.GetReadErrorMessage();
    else
        file.SeekToBegin();
    return survey;
}

CString FirmwareUnopenedText(const CString& strPath, const CString& strReason)
{
    return FormatTwoTexts(IDS_FIRMWARE_UNREADABLE, strPath, strReason);
}

CString FirmwareEmptyText(const CString& strPath)
{
    return FormatById(IDS_FIRMWARE_EMPTY, "s", strPath.GetString());
}

CString FirmwareBadRecordsText(const CString& strPath, const SRecordSurvey& records)
{
    CString strReason = LoadText(SRecordFaultText(records.firstFault));
    return FormatById(IDS_FIRMWARE_BAD_RECORDS, "suus", strPath.GetString(), records.nBad, records.nFirstBad,
                      strReason.GetString());
}

CString FirmwareFileFault(const CString& strPath, int nDeviceType)
{
    const BOOL bImage = IsImageDevice(nDeviceType);
    CStdioFile file;
    CFileException error;
    if (!file.Open(strPath, FirmwareOpenFlags(bImage), &error))
        return FirmwareUnopenedText(strPath, error.GetErrorMessage());
    FirmwareSurvey survey = SurveyFirmware(file, bImage);
    file.Close();
    if (!survey.strReadError.IsEmpty())
        return FormatTwoTexts(IDS_FIRMWARE_UNREAD, strPath, survey.strReadError);
    if (survey.HoldsNothingToSend(bImage))
        return FirmwareEmptyText(strPath);
    if (survey.records.nBad > 0)
        return FirmwareBadRecordsText(strPath, survey.records);
    return CString();
}
