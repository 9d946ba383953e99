// The files an unattended run reads, looked at before the device is touched: a firmware
// file it cannot send, or a device settings file it cannot restore, would otherwise be found
// part-way through a unit, after earlier steps had already changed it.
#pragma once

#include "CommandLine.h"
#include "afxwin.h"

#include <string>
#include <vector>

// What is wrong with each file the steps read (files: each step's file as a full path,
// in the order of the steps), for a device of the type given; none when every one is fit.
// Each file is looked at once, however often the steps name it.
std::vector<CString> RunFileFaults(const std::vector<RunStep>& steps, const std::vector<std::string>& files,
                                   int nDeviceType);
