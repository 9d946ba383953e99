// A firmware download with nothing but Win32 in the tool's place: the wake-up, 'D', then
// each frame, the next one the moment the device's ACK has been read (a NAK sends the
// frame again). Overlapped ReadFile and WriteFile on the port, one thread, no library, no
// window: what any program under Wine needs for a frame, the floor the download
// benchmark holds the tool against. The frames are built by the tool's own rules.
//   bare_download PORT TYPE FILE
// TYPE 0 or 2: an S-record file, line by line, at 38400 baud. TYPE 1: an image at 19200
// baud, in blocks after the device has taken 'D' with ESC, then the end frame.
// Exit code 0 when the device took every frame.
#include <windows.h>

#include "FirmwareFrames.h"

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

std::vector<std::string> LineFrames(const char* pszPath)
{
    std::vector<std::string> frames;
    std::ifstream file(pszPath);
    for (std::string strLine; std::getline(file, strLine);) {
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
        frames.push_back(BuildS19Frame(strLine));
    }
    return frames;
}

std::vector<std::string> ImageFrames(const char* pszPath)
{
    std::vector<std::string> frames;
    std::ifstream file(pszPath, std::ios::binary);
    unsigned char block[kImageBlockSize];
    while (file.read(reinterpret_cast<char*>(block), sizeof block) || file.gcount() > 0) {
        auto nCount = static_cast<std::size_t>(file.gcount());
        frames.push_back(BuildImageBlock(block, nCount, static_cast<unsigned>(frames.size())));
    }
    frames.push_back(ImageEndFrame());
    return frames;
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
    bool bImage = nType == 1;
    std::vector<std::string> frames = bImage ? ImageFrames(argv[3]) : LineFrames(argv[3]);

    // The wake-up at 9600 baud, then the working rate.
    HANDLE hPort = OpenPort(nPort, 9600);
    if (hPort == INVALID_HANDLE_VALUE)
        return 1;
    char szWakeUp[8];
    std::snprintf(szWakeUp, sizeof szWakeUp, "**\x18" "B%02u", nType);
    Write(hPort, szWakeUp);
    ::Sleep(30);
    ::CloseHandle(hPort);
    hPort = OpenPort(nPort, bImage ? 19200 : 38400);
    int nByte;
    while ((nByte = ReadByte(hPort, 5000)) != '\r') {
        if (nByte < 0)
            return 1;
    }

    Write(hPort, "D");
    if (bImage && ReadByte(hPort, 5000) != 0x1B)
        return 1;
    for (const std::string& strFrame : frames) {
        do {
            if (!Write(hPort, strFrame))
                return 1;
            nByte = ReadByte(hPort, 10000);
        } while (nByte == 0x15);
        if (nByte != 0x06)
            return 1;
    }
    if (!bImage)
        Write(hPort, "E");
    ::CloseHandle(hPort);
    std::printf("bare download: %u frames taken\n", static_cast<unsigned>(frames.size()));
    return 0;
}
