// What a program started by a script says before or instead of its window: to the
// standard error of whoever started it, or, when nobody listens there, in a box.
#pragma once

void TellCaller(const char* pszText);
// The same to the standard error or the console only: nothing when nobody listens there.
bool TellCallerIfListening(const char* pszText);
