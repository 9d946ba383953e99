// A firmware download of an S-record file with nothing but Win32 in the tool's place: the
// wake-up, 'D', then each line and CR, the next one the moment the device's ACK has been
// read (a NAK sends the line again). Overlapped ReadFile and WriteFile on the port, one
// thread, no library, no window: what any program under Wine needs for a frame, the
// floor the download benchmark holds the tool against.
//   bare_download PORT TYPE FILE     (TYPE 0 or 2: the devices that take S-records)
// Exit code 0 when the device took every line.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {
HANDLE OpenPort(unsigned nPort, DWORD nBaud)
{
    char szName[32];
    std::snprintf(szName, sizeof szName, "\\\\.\\COM%u", nPort);
    HANDLE hPort = ::CreateFileA(szName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OVERLAPPED, nullptr);
    if (hPort == INVALID_HANDLE_VALUE)
        return hPort;
    DCB dcb = { sizeof dcb };
    ::GetCommState(hPort, &dcb);
    dcb.BaudRate = nBaud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fOutX = dcb.fInX = FALSE;
    ::SetCommState(hPort, &dcb);
    COMMTIMEOUTS timeouts = {}; // a read of one byte ends when the byte is there
    ::SetCommTimeouts(hPort, &timeouts);
    return hPort;
}

bool Write(HANDLE hPort, const std::string& strData)
{
    OVERLAPPED request = {};
    request.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD nDone = 0;
    bool bDone = ::WriteFile(hPort, strData.data(), static_cast<DWORD>(strData.size()), nullptr, &request) ||
                 ::GetLastError() == ERROR_IO_PENDING;
    bDone = bDone && ::GetOverlappedResult(hPort, &request, &nDone, TRUE) && nDone == strData.size();
    ::CloseHandle(request.hEvent);
    return bDone;
}

// The next byte from the device; -1 when none comes within nTimeoutMs.
int ReadByte(HANDLE hPort, DWORD nTimeoutMs)
{
    OVERLAPPED request = {};
    request.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    unsigned char byte = 0;
    DWORD nDone = 0;
    int nResult = -1;
    if (::ReadFile(hPort, &byte, 1, nullptr, &request) || ::GetLastError() == ERROR_IO_PENDING) {
        if (::WaitForSingleObject(request.hEvent, nTimeoutMs) != WAIT_OBJECT_0)
            ::CancelIoEx(hPort, &request);
        if (::GetOverlappedResult(hPort, &request, &nDone, TRUE) && nDone == 1)
            nResult = byte;
    }
    ::CloseHandle(request.hEvent);
    return nResult;
}
}

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: bare_download PORT TYPE FILE\n");
        return 2;
    }
    unsigned nPort = static_cast<unsigned>(std::atoi(argv[1]));
    unsigned nType = static_cast<unsigned>(std::atoi(argv[2]));
    std::vector<std::string> lines;
    std::ifstream file(argv[3]);
    for (std::string strLine; std::getline(file, strLine);) {
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
        lines.push_back(strLine);
    }

    // The wake-up at 9600 baud, then the working rate.
    HANDLE hPort = OpenPort(nPort, 9600);
    if (hPort == INVALID_HANDLE_VALUE)
        return 1;
    char szWakeUp[8];
    std::snprintf(szWakeUp, sizeof szWakeUp, "**\x18" "B%02u", nType);
    Write(hPort, szWakeUp);
    ::Sleep(30);
    ::CloseHandle(hPort);
    hPort = OpenPort(nPort, 38400);
    int nByte;
    while ((nByte = ReadByte(hPort, 5000)) != '\r') {
        if (nByte < 0)
            return 1;
    }

    Write(hPort, "D");
    for (const std::string& strLine : lines) {
        do {
            if (!Write(hPort, strLine + '\r'))
                return 1;
            nByte = ReadByte(hPort, 10000);
        } while (nByte == 0x15);
        if (nByte != 0x06)
            return 1;
    }
    Write(hPort, "E");
    ::CloseHandle(hPort);
    std::printf("bare download: %u lines taken\n", static_cast<unsigned>(lines.size()));
    return 0;
}
