#include "FirmwareFrames.h"

std::string BuildS19Frame(const std::string& strLine)
{
    return strLine + '\r';
}

std::string BuildImageBlock(const unsigned char* pData, std::size_t nCount, unsigned nFrameCount)
{
    std::string strFrame(kImageFrameSize, '\xFF');
    unsigned nSum = 0;
    for (std::size_t i = 0; i < kImageBlockSize; ++i) {
        unsigned char nByte = i < nCount ? pData[i] : 0xFF;
        strFrame[4 + i] = static_cast<char>(nByte);
        nSum += nByte;
    }
    strFrame[0] = static_cast<char>(nFrameCount & 0xFF);
    strFrame[1] = static_cast<char>(kImageBlockSize);
    strFrame[2] = static_cast<char>((nSum >> 8) & 0xFF);
    strFrame[3] = static_cast<char>(nSum & 0xFF);
    return strFrame;
}

std::string ImageEndFrame()
{
    return std::string(4, '\0');
}
