#include "UnitFiles.h"
#include "CommandLine.h"

#include <cctype>
#include <climits>

namespace {
std::string Lower(std::string str)
{
    for (char& c : str)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return str;
}

std::string NameOf(const std::string& strPath)
{
    const std::string::size_type nSeparator = strPath.find_last_of("\\/:");
    return nSeparator == std::string::npos ? strPath : strPath.substr(nSeparator + 1);
}
}

unsigned UnitFileNumber(const std::string& strPath, unsigned nUnit, const std::vector<std::string>& folderNames)
{
    // The numbered name splits into what comes before the number and what follows it.
    const std::string strMarked = Lower(NameOf(NumberedFileName(strPath, 0)));
    const std::string::size_type nMark = strMarked.rfind("-0");
    const std::string strBefore = strMarked.substr(0, nMark + 1);
    const std::string strAfter = strMarked.substr(nMark + 2);

    unsigned nNumber = nUnit;
    for (const std::string& strName : folderNames) {
        const std::string strLower = Lower(strName);
        if (strLower.size() <= strBefore.size() + strAfter.size() || strLower.compare(0, strBefore.size(), strBefore) ||
            strLower.compare(strLower.size() - strAfter.size(), strAfter.size(), strAfter))
            continue;
        const std::string strDigits =
            strLower.substr(strBefore.size(), strLower.size() - strBefore.size() - strAfter.size());
        unsigned long long nFound = 0;
        bool bDigits = strDigits.size() <= 9;
        for (char c : strDigits) {
            bDigits = bDigits && c >= '0' && c <= '9';
            nFound = nFound * 10 + static_cast<unsigned>(c - '0');
        }
        if (bDigits && nFound >= nNumber && nFound < UINT_MAX)
            nNumber = static_cast<unsigned>(nFound) + 1;
    }
    return nNumber;
}
