#include "TextLineReader.h"

namespace {
const int kEndOfText = 0x1A;
}

bool ReadTextLine(std::FILE* pFile, std::string& rLine)
{
    rLine.clear();
    int ch;
    bool bAny = false;
    while ((ch = std::fgetc(pFile)) != EOF) {
        if (ch == kEndOfText) {
            std::ungetc(ch, pFile); // the end of the text, for every later read too
            break;
        }
        bAny = true;
        if (ch == '\n')
            return true;
        if (ch == '\r') {
            int next = std::fgetc(pFile);
            if (next == '\n')
                return true;
            if (next != EOF)
                std::ungetc(next, pFile);
        }
        rLine += static_cast<char>(ch);
    }
    return bAny;
}
