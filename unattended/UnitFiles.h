// The files of the units of a bench run (/repeat): each unit's read-out or settings go to a
// file of their own, numbered, and no earlier run's file is replaced. Plain rules, no window.
#pragma once

#include <string>
#include <vector>

// The number a unit's file gets: the unit's own, or one more than the highest number a file
// of that name already carries in the folder (an earlier run's), whichever is higher.
// strPath is the file as the command line gave it; folderNames are the names (without
// folder) the folder holds now. Names are compared without regard to case, as Windows does.
unsigned UnitFileNumber(const std::string& strPath, unsigned nUnit, const std::vector<std::string>& folderNames);
