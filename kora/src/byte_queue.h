/* A first-in, first-out queue of bytes that grows up to a fixed limit. */
#ifndef KORA_BYTE_QUEUE_H
#define KORA_BYTE_QUEUE_H

#include <stddef.h>

typedef struct byte_queue {
    unsigned char *data;
    size_t head;     /* offset of the oldest byte */
    size_t count;    /* bytes held */
    size_t size;     /* bytes allocated */
    size_t limit;    /* most bytes it may hold */
} byte_queue;

void byte_queue_init(byte_queue *q, size_t limit);
void byte_queue_free(byte_queue *q);
size_t byte_queue_room(const byte_queue *q);
/* Appends all of the bytes, or none when they do not fit (returns 0). */
int byte_queue_push(byte_queue *q, const void *bytes, size_t n);
/* Moves up to n of the oldest bytes to out; returns how many. */
size_t byte_queue_pop(byte_queue *q, void *out, size_t n);
void byte_queue_clear(byte_queue *q);

#endif
