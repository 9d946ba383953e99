// Where the settings file (ZEV.INI) is: rules on the command line and the module path, which need
// no window.
#pragma once

#include <cstddef>
#include <string>

// Everything after the first '.' becomes "INI".
std::string WithIniAfterFirstDot(const std::string& strName);

// The settings-file path for a program started with this command line, whose module file
// is pszModulePath. The shell quotes the program path: "D:\Tools\ZEV.EXE" /x gives
// D:\Tools\ZEV.INI. A command line that is not quoted, or a program path without a
// folder or whose folder holds a '.', would make that rule name another file; the module
// path is used then.
// Empty when the command line is empty.
void SettingsPathFromCommandLine(const char* pszCommandLine, const char* pszModulePath,
                                 char* pszPath, std::size_t nPathSize);
