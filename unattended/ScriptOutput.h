// What a program started by a script says before or instead of its window: to the
// standard error of whoever started it, or to its console. A program started with
// neither (by a scheduled task) has nobody to tell and nobody to answer a box: it leaves
// the text in the error file, ZEV-ERROR.TXT in the current folder, beside the log.
#pragma once

// Whether whoever started the program listens: it gave the program a standard error, or
// it has a console the program can write to.
bool CallerListens();

// Says the text to whoever started the program. With nobody listening it goes to the
// error file instead, never into a box: then the answer is false.
bool TellCaller(const char* pszText);

// Appends the text to the error file after the date and time, its lines as they are; a
// scheduled task's messages of several runs are all kept, each run's after the last.
void KeepInErrorFile(const char* pszText);
