#include "byte_queue.h"

#include <stdlib.h>
#include <string.h>

void byte_queue_init(byte_queue *q, size_t limit)
{
    memset(q, 0, sizeof *q);
    q->limit = limit;
}

void byte_queue_free(byte_queue *q)
{
    free(q->data);
    byte_queue_init(q, q->limit);
}

size_t byte_queue_room(const byte_queue *q)
{
    return q->limit - q->count;
}

int byte_queue_push(byte_queue *q, const void *bytes, size_t n)
{
    if (n == 0)
        return 1; /* nothing to add: a queue that never held a byte has no storage yet */
    if (n > byte_queue_room(q))
        return 0;
    if (q->head + q->count + n > q->size) {
        /* Move what is held to the front first; grow only when that is not enough. */
        if (q->head)
            memmove(q->data, q->data + q->head, q->count);
        q->head = 0;
        if (q->count + n > q->size) {
            size_t size = q->size ? q->size : 4096;
            while (size < q->count + n)
                size *= 2;
            if (size > q->limit)
                size = q->limit;
            unsigned char *data = realloc(q->data, size);
            if (!data)
                return 0;
            q->data = data;
            q->size = size;
        }
    }
    memcpy(q->data + q->head + q->count, bytes, n);
    q->count += n;
    return 1;
}

size_t byte_queue_pop(byte_queue *q, void *out, size_t n)
{
    if (n > q->count)
        n = q->count;
    if (n == 0)
        return 0;
    memcpy(out, q->data + q->head, n);
    q->head += n;
    q->count -= n;
    if (q->count == 0)
        q->head = 0;
    return n;
}

void byte_queue_clear(byte_queue *q)
{
    q->head = 0;
    q->count = 0;
}
