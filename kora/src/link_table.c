/* The library lock, the table of open links, and the error texts.
 *
 * One lock guards the table of links, each link's queues, flags and callbacks, and the
 * error texts; nobody holds it across a wait or a callback. A condition variable on it
 * wakes every KoraWait whenever the state of a link changes.
 */
#include "link.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static SRWLOCK lock = SRWLOCK_INIT;
static CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
static kora_link **links;
static size_t link_count, link_capacity;
static LONG last_handle;
static char library_text[KORA_TEXT_SIZE];

void library_lock(void)
{
    AcquireSRWLockExclusive(&lock);
}

void library_unlock(void)
{
    ReleaseSRWLockExclusive(&lock);
}

void library_state_changed(void)
{
    WakeAllConditionVariable(&changed);
}

void library_wait_for_change(DWORD ms)
{
    SleepConditionVariableSRW(&changed, &lock, ms, 0);
}

LONG link_table_add(kora_link *link)
{
    if (link_count == link_capacity) {
        size_t capacity = link_capacity ? link_capacity * 2 : 4;
        kora_link **grown = realloc(links, capacity * sizeof *grown);
        if (!grown)
            return 0;
        links = grown;
        link_capacity = capacity;
    }
    /* Handles count up and are never given twice, so a stale handle finds nothing. */
    last_handle = last_handle == MAXLONG ? 1 : last_handle + 1;
    link->handle = last_handle;
    links[link_count++] = link;
    return link->handle;
}

kora_link *link_table_find(LONG handle)
{
    for (size_t i = 0; i < link_count; i++)
        if (links[i]->handle == handle)
            return links[i];
    return NULL;
}

kora_link *link_for_call(LONG handle, const char *call)
{
    kora_link *link = link_table_find(handle);
    if (!link)
        library_error("%s: %ld is not the handle of an open link.", call, (long)handle);
    return link;
}

kora_link *link_table_newest(void)
{
    return link_count ? links[link_count - 1] : NULL;
}

void link_table_remove(kora_link *link)
{
    for (size_t i = 0; i < link_count; i++)
        if (links[i] == link) {
            for (; i + 1 < link_count; i++)
                links[i] = links[i + 1];
            link_count--;
            return;
        }
}

void library_error(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(library_text, sizeof library_text, format, args);
    va_end(args);
}

void library_error_text(char *out)
{
    memcpy(out, library_text, KORA_TEXT_SIZE);
}

/* The text of a failed link is the failure's: nothing later replaces it. */
static void set_link_error(kora_link *link, int fails, const char *format, va_list args)
{
    if (link->failed)
        return;
    vsnprintf(link->error, sizeof link->error, format, args);
    if (!fails)
        return;
    link->failed = 1;
    byte_queue_clear(&link->tx);
    link_post(link, KORA_EVENT_LINK_FAILED);
    library_state_changed();
}

void link_error(kora_link *link, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    set_link_error(link, 0, format, args);
    va_end(args);
}

void link_fail(kora_link *link, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    set_link_error(link, 1, format, args);
    va_end(args);
}

LONG link_state(const kora_link *link)
{
    LONG state = 0;
    if (link->ready)
        state |= KORA_STATE_READY;
    if (link->rx.count)
        state |= KORA_STATE_RX_WAITING;
    if (!link->sending && !link->tx.count)
        state |= KORA_STATE_TX_EMPTY;
    if (link->line_error_seen)
        state |= KORA_STATE_LINE_ERROR_SEEN;
    return state;
}
