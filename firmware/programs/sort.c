/* Sorting: quicksort of signed longs, insertion sort of signed words, Shell sort of
   bytes, heap sort of unsigned longs, merge sort through a scratch array, and a generic
   sort of records through a comparison function, then binary searches. */
#include "common.h"

#define COUNT 300

static int32_t longs[COUNT];
static int16_t words[COUNT];
static uint8_t bytes[COUNT];
static uint32_t ulongs[COUNT];
static int32_t merged[COUNT];
static int32_t scratch[COUNT];

struct record {
  uint16_t key;
  int32_t payload;
  char tag;
};
static struct record records[48];

static void fill(void) {
  uint32_t state = 0xC0FFEE11u;
  for (int i = 0; i < COUNT; ++i) {
    uint32_t r = next_random(&state);
    longs[i] = (int32_t)(r >> (r & 7));
    words[i] = (int16_t)(r >> 9);
    bytes[i] = (uint8_t)(r >> 3);
    ulongs[i] = r;
    merged[i] = (int32_t)r >> 12;
  }
  for (int i = 0; i < 48; ++i) {
    uint32_t r = next_random(&state);
    records[i].key = (uint16_t)(r % 40);
    records[i].payload = (int32_t)(r >> 8) - 0x400000;
    records[i].tag = (char)('A' + i % 26);
  }
}

static void quicksort(int32_t *a, int lo, int hi) {
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    /* Median of three as the pivot. */
    if (a[mid] < a[lo]) { int32_t t = a[mid]; a[mid] = a[lo]; a[lo] = t; }
    if (a[hi] < a[lo]) { int32_t t = a[hi]; a[hi] = a[lo]; a[lo] = t; }
    if (a[hi] < a[mid]) { int32_t t = a[hi]; a[hi] = a[mid]; a[mid] = t; }
    int32_t pivot = a[mid];
    int i = lo, j = hi;
    while (i <= j) {
      while (a[i] < pivot) ++i;
      while (a[j] > pivot) --j;
      if (i <= j) {
        int32_t t = a[i];
        a[i++] = a[j];
        a[j--] = t;
      }
    }
    /* Recurse into the smaller side, loop over the larger. */
    if (j - lo < hi - i) {
      quicksort(a, lo, j);
      lo = i;
    } else {
      quicksort(a, i, hi);
      hi = j;
    }
  }
}

static void insertion_sort(int16_t *a, int n) {
  for (int i = 1; i < n; ++i) {
    int16_t v = a[i];
    int j = i - 1;
    while (j >= 0 && a[j] > v) {
      a[j + 1] = a[j];
      --j;
    }
    a[j + 1] = v;
  }
}

static void shell_sort(uint8_t *a, int n) {
  static const uint8_t gaps[] = {57, 23, 10, 4, 1};
  for (unsigned g = 0; g < sizeof gaps; ++g) {
    int gap = gaps[g];
    for (int i = gap; i < n; ++i) {
      uint8_t v = a[i];
      int j = i;
      for (; j >= gap && a[j - gap] > v; j -= gap) a[j] = a[j - gap];
      a[j] = v;
    }
  }
}

static void sift_down(uint32_t *a, int root, int end) {
  for (;;) {
    int child = 2 * root + 1;
    if (child > end) return;
    if (child + 1 <= end && a[child] < a[child + 1]) ++child;
    if (a[root] >= a[child]) return;
    uint32_t t = a[root];
    a[root] = a[child];
    a[child] = t;
    root = child;
  }
}

static void heap_sort(uint32_t *a, int n) {
  for (int start = (n - 2) / 2; start >= 0; --start) sift_down(a, start, n - 1);
  for (int end = n - 1; end > 0; --end) {
    uint32_t t = a[0];
    a[0] = a[end];
    a[end] = t;
    sift_down(a, 0, end - 1);
  }
}

static void merge_sort(int32_t *a, int n) {
  if (n < 2) return;
  int half = n / 2;
  merge_sort(a, half);
  merge_sort(a + half, n - half);
  int i = 0, j = half, k = 0;
  while (i < half && j < n) scratch[k++] = a[i] <= a[j] ? a[i++] : a[j++];
  while (i < half) scratch[k++] = a[i++];
  while (j < n) scratch[k++] = a[j++];
  memcpy(a, scratch, (size_t)n * sizeof *a);
}

/* A stable insertion sort of any element type, moving elements as bytes. */
static void generic_sort(void *base, int n, size_t size, int (*less)(const void *, const void *)) {
  uint8_t *a = base;
  uint8_t held[16];
  for (int i = 1; i < n; ++i) {
    memcpy(held, a + (size_t)i * size, size);
    int j = i;
    for (; j > 0 && less(held, a + (size_t)(j - 1) * size); --j) memcpy(a + (size_t)j * size, a + (size_t)(j - 1) * size, size);
    memcpy(a + (size_t)j * size, held, size);
  }
}

static int record_less(const void *x, const void *y) {
  const struct record *a = x, *b = y;
  return a->key < b->key;
}

static int binary_search(const int32_t *a, int n, int32_t v) {
  int lo = 0, hi = n - 1;
  while (lo <= hi) {
    int mid = (lo + hi) >> 1;
    if (a[mid] == v) return mid;
    if (a[mid] < v) lo = mid + 1; else hi = mid - 1;
  }
  return -1;
}

#define HASH_ARRAY(name, array, n)                                            \
  do {                                                                        \
    uint32_t h = HASH_START;                                                  \
    for (int i = 0; i < (n); ++i) h = mix(h, (uint32_t)(array)[i] + (uint32_t)i); \
    kq_report(name, h);                                                       \
  } while (0)

static int32_t descending(const int32_t *a, int n) {
  int32_t count = 0;
  for (int i = 1; i < n; ++i) count += a[i - 1] > a[i];
  return count;
}

int main(void) {
  fill();
  quicksort(longs, 0, COUNT - 1);
  kq_report("quicksort order", (uint32_t)descending(longs, COUNT));
  HASH_ARRAY("quicksort", longs, COUNT);
  insertion_sort(words, COUNT);
  HASH_ARRAY("insertion sort", words, COUNT);
  shell_sort(bytes, COUNT);
  HASH_ARRAY("shell sort", bytes, COUNT);
  heap_sort(ulongs, COUNT);
  HASH_ARRAY("heap sort", ulongs, COUNT);
  merge_sort(merged, COUNT);
  kq_report("merge sort order", (uint32_t)descending(merged, COUNT));
  HASH_ARRAY("merge sort", merged, COUNT);

  generic_sort(records, 48, sizeof records[0], record_less);
  uint32_t h = HASH_START;
  for (int i = 0; i < 48; ++i) h = mix(mix(mix(h, records[i].key), (uint32_t)records[i].payload), (uint32_t)records[i].tag);
  kq_report("records", h);

  int found = 0;
  uint32_t positions = 0;
  for (int i = 0; i < COUNT; i += 7) {
    int at = binary_search(longs, COUNT, longs[i]);
    found += at >= 0 && longs[at] == longs[i];
    positions += (uint32_t)binary_search(longs, COUNT, longs[i] ^ 1);
  }
  kq_report("found", (uint32_t)found);
  kq_report("neighbours", positions);
  return 0;
}
