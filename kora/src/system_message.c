#include "link.h"

#include <stdio.h>

void system_message(DWORD code, char *out, size_t size)
{
    char text[200] = "";
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                             code, 0, text, sizeof text, NULL);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' '))
        text[--n] = 0;
    if (n == 0)
        snprintf(out, size, "System error %lu", (unsigned long)code);
    else
        snprintf(out, size, "%s (error %lu)", text, (unsigned long)code);
}
