#include "SettingsPath.h"

#include <cstdio>

std::string WithIniAfterFirstDot(const std::string& strName)
{
    return strName.substr(0, strName.find('.') + 1) + "INI";
}

namespace {
// The folder and base name of a module file with the extension INI.
std::string IniBesideModule(const std::string& strModule)
{
    std::string::size_type nName = strModule.find_last_of("\\/");
    nName = nName == std::string::npos ? 0 : nName + 1;
    std::string::size_type nDot = strModule.find_last_of('.');
    std::string strBase = nDot != std::string::npos && nDot >= nName ? strModule.substr(0, nDot) : strModule;
    return strBase + ".INI";
}

// The quoted program path of a command line that begins with a quotation mark.
bool QuotedProgramPath(const std::string& strCommandLine, std::string& strProgram)
{
    if (strCommandLine.empty() || strCommandLine[0] != '"')
        return false;
    std::string::size_type nClose = strCommandLine.find('"', 1);
    strProgram = strCommandLine.substr(1, nClose == std::string::npos ? std::string::npos : nClose - 1);
    return true;
}
}

void SettingsPathFromCommandLine(const char* pszCommandLine, const char* pszModulePath,
                                 char* pszPath, size_t nPathSize)
{
    std::string strCommandLine = pszCommandLine ? pszCommandLine : "";
    std::string strPath;
    std::string strProgram;
    if (strCommandLine.empty()) {
        strPath.clear();
    } else if (QuotedProgramPath(strCommandLine, strProgram)) {
        std::string::size_type nName = strProgram.find_last_of("\\/");
        std::string strFolder = nName == std::string::npos ? "" : strProgram.substr(0, nName);
        bool bDotInName = strProgram.find('.', nName == std::string::npos ? 0 : nName) != std::string::npos;
        if (!strFolder.empty() && strFolder.find('.') == std::string::npos && bDotInName)
            strPath = WithIniAfterFirstDot(strCommandLine.substr(1));
        else
            strPath = IniBesideModule(pszModulePath);
    } else {
        strPath = IniBesideModule(pszModulePath);
    }
    std::snprintf(pszPath, nPathSize, "%s", strPath.c_str());
}
