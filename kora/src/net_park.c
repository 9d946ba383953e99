/* The parked network links: closed by the program less than NET_PARK_MS ago, each still
 * connected and read by its thread, waiting for an open of the same target. */
#include "net.h"

#include <stdlib.h>
#include <string.h>

static kora_link **parked;
static size_t parked_count, parked_capacity;

static void take_off(size_t i)
{
    parked[i]->parked = 0;
    parked[i] = parked[--parked_count];
}

void net_park(kora_link *link)
{
    if (parked_count == parked_capacity) {
        size_t capacity = parked_capacity ? parked_capacity * 2 : 4;
        kora_link **grown = realloc(parked, capacity * sizeof *grown);
        if (!grown) {
            link->parked = 1;
            link->parked_until = 0; /* no room to wait: its thread closes it at once */
            return;
        }
        parked = grown;
        parked_capacity = capacity;
    }
    link->parked = 1;
    link->parked_until = GetTickCount64() + NET_PARK_MS;
    link->parked_baud = link->baud;
    parked[parked_count++] = link;
}

kora_link *net_adopt(const char *target)
{
    ULONGLONG now = GetTickCount64();
    for (size_t i = 0; i < parked_count; i++) {
        kora_link *link = parked[i];
        if (strcmp(link->target, target) == 0 && !link->failed && now < link->parked_until) {
            take_off(i);
            return link;
        }
    }
    return NULL;
}

int net_park_over(kora_link *link, ULONGLONG now)
{
    if (!link->parked || (!link->failed && now < link->parked_until))
        return 0;
    for (size_t i = 0; i < parked_count; i++)
        if (parked[i] == link) {
            take_off(i);
            return 1;
        }
    link->parked = 0; /* parked without a place on the list */
    return 1;
}
