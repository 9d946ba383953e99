// What a save or restore of the device settings says: the values as the file and the
// comparison show them, where a run stopped, and why a file or a value was refused.
#pragma once

#include "DeviceSettingsFile.h"
#include "SettingsRules.h"
#include "afxwin.h"

#include <string>

struct SettingsRun;

std::string ToStd(const CString& str);
// A value as the file and the comparison show it: a control byte stays visible.
CString Shown(const std::string& strValue);
CString Quoted(char chLetter);            // 'r'
CString LetterList(const std::string& strLetters); // 'R', 'H': in the order they went out
// Where a run that did not finish stopped, and what the device had been given by then.
CString RunCutText(const SettingsRun& run);
CString RefusalText(const SettingsValue& value);   // why a file's value is not written
CString FaultText(const SettingsReadResult& result); // what a device settings file's fault is
