/* torv.exe's memcpy, memmove, memcmp and memchr on Windows.
 *
 * The C++ library calls them for nearly every string it copies, compares or
 * searches, mostly a few bytes at a time. The C runtime's versions reach the
 * bytes through several calls and a choice of strategy; under wine they
 * took a fifth of a million-line check's time. These take few bytes
 * directly, and long runs with the processor's string instructions.
 *
 * Built without the compiler's built-in forms of these functions and its
 * turning loops into calls to them, so that no loop here becomes a call to
 * itself. */
#include <stddef.h>
#include <stdint.h>

/* Unaligned loads and stores that may alias anything. */
typedef uint32_t __attribute__((aligned(1), may_alias)) Word;
typedef uint16_t __attribute__((aligned(1), may_alias)) HalfWord;

/* Up to 16 bytes, every load before any store, so that the copy is right
 * whichever way the two ranges overlap. */
static inline __attribute__((always_inline)) void copyFew(unsigned char* to, const unsigned char* from, size_t n) {
    if (n >= 8) {
        const uint32_t a = *(const Word*)from;
        const uint32_t b = *(const Word*)(from + 4);
        const uint32_t c = *(const Word*)(from + n - 8);
        const uint32_t d = *(const Word*)(from + n - 4);
        *(Word*)to = a;
        *(Word*)(to + 4) = b;
        *(Word*)(to + n - 8) = c;
        *(Word*)(to + n - 4) = d;
    } else if (n >= 4) {
        const uint32_t a = *(const Word*)from;
        const uint32_t b = *(const Word*)(from + n - 4);
        *(Word*)to = a;
        *(Word*)(to + n - 4) = b;
    } else if (n >= 2) {
        const uint16_t a = *(const HalfWord*)from;
        const uint16_t b = *(const HalfWord*)(from + n - 2);
        *(HalfWord*)to = a;
        *(HalfWord*)(to + n - 2) = b;
    } else if (n == 1) {
        *to = *from;
    }
}

/* More than 16 bytes, front to back: right unless `to` starts inside the
 * source, after `from`. Short runs word by word (the last word loaded
 * first, as the loop may overwrite it), long ones by the string
 * instruction, whose start-up cost they pay back. */
static void copyForward(unsigned char* to, const unsigned char* from, size_t n) {
    if (n <= 128) {
        const uint32_t last = *(const Word*)(from + n - 4);
        for (size_t i = 0; i + 4 < n; i += 4) {
            *(Word*)(to + i) = *(const Word*)(from + i);
        }
        *(Word*)(to + n - 4) = last;
        return;
    }
    __asm__ volatile("rep movsb" : "+D"(to), "+S"(from), "+c"(n) : : "memory");
}

/* More than 16 bytes, back to front, for a `to` inside the source after
 * `from`: each word is loaded before the words after it are stored. */
static void copyBackward(unsigned char* to, const unsigned char* from, size_t n) {
    size_t i = n;
    for (; i >= 4; i -= 4) {
        *(Word*)(to + i - 4) = *(const Word*)(from + i - 4);
    }
    while (i > 0) {
        --i;
        to[i] = from[i];
    }
}

void* memcpy(void* to, const void* from, size_t n) {
    if (n <= 16) {
        copyFew(to, from, n);
    } else {
        copyForward(to, from, n);
    }
    return to;
}

void* memmove(void* to, const void* from, size_t n) {
    if (n <= 16) {
        copyFew(to, from, n);
    } else if ((uintptr_t)to - (uintptr_t)from >= n) {
        copyForward(to, from, n); /* `to` before `from`, or apart */
    } else {
        copyBackward(to, from, n);
    }
    return to;
}

int memcmp(const void* a, const void* b, size_t n) {
    const unsigned char* p = a;
    const unsigned char* q = b;
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const uint32_t x = *(const Word*)(p + i);
        const uint32_t y = *(const Word*)(q + i);
        if (x != y) {
            /* The first differing byte decides: in big-endian order it is
             * the most significant one. */
            return __builtin_bswap32(x) < __builtin_bswap32(y) ? -1 : 1;
        }
    }
    for (; i < n; ++i) {
        if (p[i] != q[i]) {
            return p[i] < q[i] ? -1 : 1;
        }
    }
    return 0;
}

void* memchr(const void* s, int c, size_t n) {
    const unsigned char* p = s;
    const unsigned char wanted = (unsigned char)c;
    const uint32_t everyByte = 0x01010101u * wanted;
    size_t i = 0;
    /* A word holds the byte when the word xor the byte in every place has
     * a zero byte; the loop stops at the first such word. */
    for (; i + 4 <= n; i += 4) {
        const uint32_t x = *(const Word*)(p + i) ^ everyByte;
        if (((x - 0x01010101u) & ~x & 0x80808080u) != 0) {
            break;
        }
    }
    for (; i < n; ++i) {
        if (p[i] == wanted) {
            return (void*)(p + i);
        }
    }
    return NULL;
}
