#include "RecordingReader.h"
#include "MonitorFrame.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {
// Times in whole milliseconds, as the rows give them, so that an hour of rows adds up to
// the hour exactly.
const long long kDayMs = 24 * 3600 * 1000LL;
// A step back of at least half a day is the clock passing midnight.
const long long kMidnightStepBackMs = kDayMs / 2;
const long long kClockSetBackMs = static_cast<long long>(kClockSetBackSeconds * 1000);

// Which kind of number each column holds, from the second on: the counts and the whole
// reading are written with %d, the volumes, readings and the deviation with %.2f.
enum ColumnKind { WholeNumber, Decimal };
const ColumnKind kColumnKinds[kRecordingColumns] = { WholeNumber, WholeNumber, WholeNumber, WholeNumber, WholeNumber,
                                                     Decimal,     Decimal,     Decimal,     Decimal,     WholeNumber,
                                                     Decimal };

const std::string& HeaderLine()
{
    static const std::string strHeader = [] {
        std::string strLine = MonitorCsvHeader();
        while (!strLine.empty() && (strLine.back() == '\n' || strLine.back() == '\r'))
            strLine.pop_back();
        return strLine;
    }();
    return strHeader;
}

bool IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

// A number as %d writes it, within 32 bits.
bool ReadWholeNumber(const char* p, const char* pEnd, int& nValue)
{
    bool bNegative = p < pEnd && *p == '-';
    if (bNegative)
        ++p;
    if (p == pEnd || pEnd - p > 10)
        return false;
    std::int64_t nMagnitude = 0;
    for (; p < pEnd; ++p) {
        if (!IsDigit(*p))
            return false;
        nMagnitude = nMagnitude * 10 + (*p - '0');
    }
    std::int64_t nSigned = bNegative ? -nMagnitude : nMagnitude;
    if (nSigned < INT32_MIN || nSigned > INT32_MAX)
        return false;
    nValue = static_cast<int>(nSigned);
    return true;
}

bool EqualsNoCase(const char* p, const char* pEnd, const char* pszWord)
{
    for (; p < pEnd && *pszWord; ++p, ++pszWord) {
        char ch = *p >= 'A' && *p <= 'Z' ? static_cast<char>(*p - 'A' + 'a') : *p;
        if (ch != *pszWord)
            return false;
    }
    return p == pEnd && !*pszWord;
}

// A number as %.2f writes it, any number of digits, and what it writes for a reading that
// is no number: "nan", "-nan", "inf", or the older C library's "1.#QNAN0", "-1.#INF00".
bool IsDecimal(const char* p, const char* pEnd)
{
    if (p < pEnd && (*p == '-' || *p == '+'))
        ++p;
    if (EqualsNoCase(p, pEnd, "nan") || EqualsNoCase(p, pEnd, "inf") || EqualsNoCase(p, pEnd, "infinity"))
        return true;
    if (pEnd - p > 3 && std::memcmp(p, "1.#", 3) == 0) {
        for (p += 3; p < pEnd; ++p)
            if (!IsDigit(*p) && !((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z')))
                return false;
        return true;
    }
    const char* pDigits = p;
    while (p < pEnd && IsDigit(*p))
        ++p;
    if (p == pDigits)
        return false;
    if (p < pEnd && *p == '.') {
        const char* pFraction = ++p;
        while (p < pEnd && IsDigit(*p))
            ++p;
        if (p == pFraction)
            return false;
    }
    return p == pEnd;
}

// "14:03:07.123" as milliseconds since midnight.
bool ReadTimeOfDay(const char* p, const char* pEnd, long long& nMs)
{
    static const char kShape[] = "00:00:00.000";
    if (pEnd - p != 12)
        return false;
    for (int i = 0; i < 12; ++i) {
        if (kShape[i] == '0' ? !IsDigit(p[i]) : p[i] != kShape[i])
            return false;
    }
    auto two = [p](int i) { return (p[i] - '0') * 10 + (p[i + 1] - '0'); };
    int nHours = two(0), nMinutes = two(3), nSeconds = two(6);
    int nMilliseconds = (p[9] - '0') * 100 + two(10);
    if (nHours > 23 || nMinutes > 59 || nSeconds > 59)
        return false;
    nMs = ((nHours * 60LL + nMinutes) * 60 + nSeconds) * 1000 + nMilliseconds;
    return true;
}
}

void RecordingReader::Feed(const char* pData, std::size_t nSize)
{
    const char* p = pData;
    const char* pEnd = pData + nSize;
    while (p < pEnd && !HasFailed()) {
        const char* pLineEnd = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(pEnd - p)));
        const char* pPieceEnd = pLineEnd ? pLineEnd : pEnd;
        std::size_t nPiece = static_cast<std::size_t>(pPieceEnd - p);
        // A row with its CR is kMaxRecordingLine + 1 bytes at most.
        if (m_strPartial.size() + nPiece > kMaxRecordingLine + 1) {
            m_strPartial.append(p, std::min(nPiece, kMaxRecordingLine + 1 - m_strPartial.size()));
            ++m_nLine;
            Fail(RecordingFault::LineTooLong, m_strPartial.data(), m_strPartial.size());
            return;
        }
        if (!pLineEnd) {
            m_strPartial.append(p, nPiece);
            return;
        }
        if (m_strPartial.empty()) {
            TakeLine(p, nPiece, true);
        } else {
            m_strPartial.append(p, nPiece);
            TakeLine(m_strPartial.data(), m_strPartial.size(), true);
            m_strPartial.clear();
        }
        p = pLineEnd + 1;
    }
}

RecordingReadResult RecordingReader::Finish()
{
    if (!HasFailed() && !m_strPartial.empty())
        TakeLine(m_strPartial.data(), m_strPartial.size(), false);
    if (!HasFailed()) {
        if (m_nLine == 0) {
            m_result.fault = RecordingFault::Empty;
        } else if (m_result.samples.empty()) {
            m_result.fault = RecordingFault::NoRows;
            m_result.nLine = 1;
        }
    }
    if (HasFailed()) {
        m_result.samples.clear();
        m_result.strFirstTime.clear();
    }
    return std::move(m_result);
}

void RecordingReader::TakeLine(const char* pLine, std::size_t nLength, bool bEnded)
{
    ++m_nLine;
    if (std::memchr(pLine, '\0', nLength)) {
        Fail(RecordingFault::NotText, pLine, nLength);
        return;
    }
    if (nLength > 0 && pLine[nLength - 1] == '\r')
        --nLength;
    if (!m_bHeaderTaken) {
        m_bHeaderTaken = true;
        TakeHeader(pLine, nLength);
    } else if (nLength > 0) { // an editor's blank line, at the end most likely
        TakeRow(pLine, nLength, bEnded);
    }
}

void RecordingReader::TakeHeader(const char* pLine, std::size_t nLength)
{
    std::size_t nBom = nLength >= 3 && std::memcmp(pLine, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
    const std::string& strHeader = HeaderLine();
    if (nLength - nBom != strHeader.size() || std::memcmp(pLine + nBom, strHeader.data(), strHeader.size()) != 0)
        Fail(RecordingFault::WrongHeader, pLine, nLength);
}

void RecordingReader::TakeRow(const char* pLine, std::size_t nLength, bool bEnded)
{
    const char* pEnd = pLine + nLength;
    // Column i runs from the comma before it (the line's start for the first) to apEnds[i].
    const char* apEnds[kRecordingColumns];
    unsigned nColumns = 0;
    for (const char* p = pLine;; ++p) {
        if (p == pEnd || *p == ',') {
            if (nColumns < kRecordingColumns)
                apEnds[nColumns] = p;
            ++nColumns;
            if (p == pEnd)
                break;
        }
    }
    RecordingFault fault = RecordingFault::None;
    unsigned nDetail = 0;
    long long nTimeOfDay = 0;
    FlowSample sample = {};
    if (nColumns != kRecordingColumns) {
        fault = RecordingFault::ColumnCount;
        nDetail = nColumns;
    } else if (!ReadTimeOfDay(pLine, apEnds[0], nTimeOfDay)) {
        fault = RecordingFault::BadTime;
    } else {
        for (unsigned i = 1; i < kRecordingColumns && fault == RecordingFault::None; ++i) {
            const char* pStart = apEnds[i - 1] + 1;
            int nValue = 0;
            bool bGood = kColumnKinds[i] == WholeNumber ? ReadWholeNumber(pStart, apEnds[i], nValue)
                                                        : IsDecimal(pStart, apEnds[i]);
            if (!bGood) {
                fault = RecordingFault::NotNumber;
                nDetail = i + 1;
            } else if (i == 1) {
                sample.nFlowRate = nValue;
            } else if (i == 2) {
                sample.nImpulseErrors = nValue;
            }
        }
    }
    if (fault == RecordingFault::None && !m_result.samples.empty()) {
        long long nStep = nTimeOfDay - m_nLastTimeOfDay;
        if (nStep <= -kMidnightStepBackMs)
            nStep += kDayMs;
        else if (nStep < -kClockSetBackMs)
            fault = RecordingFault::TimeBackwards;
        else if (nStep < 0)
            nStep = 0;
        m_nElapsedMs += nStep;
    }
    if (fault != RecordingFault::None) {
        // A last line without its line end that is no row is what a recording cut off in
        // the middle of a row leaves: the rows before it stand.
        if (!bEnded) {
            m_result.nCutLine = m_nLine;
            return;
        }
        Fail(fault, pLine, nLength, nDetail);
        if (fault == RecordingFault::TimeBackwards)
            m_result.strDetail = m_strLastTime;
        return;
    }
    if (m_result.samples.empty())
        m_result.strFirstTime.assign(pLine, 12);
    m_strLastTime.assign(pLine, 12);
    m_nLastTimeOfDay = nTimeOfDay;
    sample.dSeconds = m_nElapsedMs / 1000.0;
    m_result.samples.push_back(sample);
}

void RecordingReader::Fail(RecordingFault fault, const char* pLine, std::size_t nLength, unsigned nDetail)
{
    m_result.fault = fault;
    m_result.nLine = m_nLine;
    m_result.nDetail = nDetail;
    m_result.strLine.assign(pLine, std::min(nLength, kMaxRecordingLine));
}

RecordingReadResult ReadRecordingText(const std::string& strText)
{
    RecordingReader reader;
    reader.Feed(strText.data(), strText.size());
    return reader.Finish();
}

std::string RecordingColumnName(unsigned nColumn)
{
    const std::string& strHeader = HeaderLine();
    std::size_t nStart = 0;
    for (unsigned i = 1; i <= kRecordingColumns; ++i) {
        std::size_t nComma = strHeader.find(',', nStart);
        if (i == nColumn)
            return strHeader.substr(nStart, nComma == std::string::npos ? std::string::npos : nComma - nStart);
        if (nComma == std::string::npos)
            break;
        nStart = nComma + 1;
    }
    return std::string();
}

std::string ShownRecordingLine(const std::string& strLine, std::size_t nMax)
{
    std::string strShown = strLine.substr(0, nMax);
    for (char& ch : strShown) {
        unsigned char uch = static_cast<unsigned char>(ch);
        if (uch < 0x20 || uch == 0x7F)
            ch = '?';
    }
    if (strLine.size() > nMax)
        strShown += "...";
    return strShown;
}

std::string FormatRecordingDuration(double dSeconds)
{
    long long nTotal = dSeconds > 0 ? static_cast<long long>(dSeconds) : 0;
    char sz[32];
    if (nTotal >= 3600)
        std::snprintf(sz, sizeof sz, "%lld:%02lld:%02lld", nTotal / 3600, nTotal / 60 % 60, nTotal % 60);
    else
        std::snprintf(sz, sizeof sz, "%lld:%02lld", nTotal / 60, nTotal % 60);
    return sz;
}
