/* What a program of the test set sees of its surroundings. The same source builds for
   the 68000 (freestanding, with this runtime) and for the host, whose results it is
   checked against; both are told apart by __mc68000__. Programs use fixed-width types
   only, since int and long differ between the two. */
#ifndef KQ_PROGRAM_H
#define KQ_PROGRAM_H

#include <stddef.h>
#include <stdint.h>

#ifdef __mc68000__
void *memcpy(void *restrict dst, const void *restrict src, size_t n);
void *memmove(void *dst, const void *src, size_t n);
void *memset(void *dst, int c, size_t n);
int memcmp(const void *a, const void *b, size_t n);
#else
#include <string.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Hands one result to the host; `what` names it in the host's report of a mismatch. */
void kq_report(const char *what, uint32_t value);

#ifdef __cplusplus
}
#endif

#endif
