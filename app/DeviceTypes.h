// The device types the program knows. The type number is what the program uses (radio
// index, wake-up digits, baud rate, menus); the name exists only for the settings file.
#pragma once

enum { DEVICE_TYPE_COUNT = 3 };

// The type of a device name: exact, case-sensitive; 0 for a name not in the table.
int DeviceTypeFromName(const char* pszName);
// The name of a type; a type outside the table counts as type 0.
const char* DeviceNameOfType(int nType);
