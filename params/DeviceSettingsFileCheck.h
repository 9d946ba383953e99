// A device settings file (.ZEVSET) looked at before anything is sent: the restore's own look once its file
// is chosen, and an unattended run's look at the file it names before it touches the
// device. One rule for both.
#pragma once

#include "DeviceSettingsFile.h"
#include "afxwin.h"

// Reads the file: readable, a complete device settings file, and one of the device type given
// (0 Vantik, 1 Corlaxa, 2 Brennix). Empty when it is fit, with its settings in settings;
// else the message that says why it is not.
CString DeviceSettingsFileFault(const CString& strPath, int nDeviceType, DeviceSettings& settings);
