/* Recursion: Fibonacci, Ackermann, the towers of Hanoi, eight queens, permutations, a
   recursive-descent expression evaluator, a flood fill, a binary search tree in a pool
   and mutual recursion. */
#include "common.h"

static uint32_t fibonacci(uint32_t n) { return n < 2 ? n : fibonacci(n - 1) + fibonacci(n - 2); }

static uint32_t ackermann(uint32_t m, uint32_t n) {
  if (m == 0) return n + 1;
  if (n == 0) return ackermann(m - 1, 1);
  return ackermann(m - 1, ackermann(m, n - 1));
}

static uint32_t hanoi_hash;
static void hanoi(int discs, uint8_t from, uint8_t to, uint8_t via) {
  if (discs == 0) return;
  hanoi(discs - 1, from, via, to);
  hanoi_hash = mix(hanoi_hash, (uint32_t)discs << 8 | (uint32_t)from << 4 | to);
  hanoi(discs - 1, via, to, from);
}

static int8_t queen_at[8];
static uint32_t solutions, first_solution;
static int safe(int row, int col) {
  for (int r = 0; r < row; ++r) {
    int c = queen_at[r];
    if (c == col || c - col == row - r || col - c == row - r) return 0;
  }
  return 1;
}
static void queens(int row) {
  if (row == 8) {
    if (solutions++ == 0)
      for (int r = 0; r < 8; ++r) first_solution = first_solution * 8 + (uint32_t)queen_at[r];
    return;
  }
  for (int col = 0; col < 8; ++col)
    if (safe(row, col)) {
      queen_at[row] = (int8_t)col;
      queens(row + 1);
    }
}

static uint8_t items[7];
static uint32_t permutations, permutation_hash;
static void permute(int k, int n) {
  if (k == n) {
    ++permutations;
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = v * 10 + items[i];
    permutation_hash = mix(permutation_hash, v);
    return;
  }
  for (int i = k; i < n; ++i) {
    uint8_t t = items[k];
    items[k] = items[i];
    items[i] = t;
    permute(k + 1, n);
    items[i] = items[k];
    items[k] = t;
  }
}

/* expression := term {(+|-) term}; term := factor {(*|/|%) factor};
   factor := number | '-' factor | '(' expression ')' */
static const char *cursor;
static int32_t expression(void);
static int32_t factor(void) {
  while (*cursor == ' ') ++cursor;
  if (*cursor == '-') {
    ++cursor;
    return -factor();
  }
  if (*cursor == '(') {
    ++cursor;
    int32_t v = expression();
    if (*cursor == ')') ++cursor;
    return v;
  }
  int32_t v = 0;
  while (*cursor >= '0' && *cursor <= '9') v = v * 10 + (*cursor++ - '0');
  return v;
}
static int32_t term(void) {
  int32_t v = factor();
  for (;;) {
    while (*cursor == ' ') ++cursor;
    char op = *cursor;
    if (op != '*' && op != '/' && op != '%') return v;
    ++cursor;
    int32_t r = factor();
    if (op == '*') v *= r;
    else if (r == 0) v = 0;
    else if (op == '/') v /= r;
    else v %= r;
  }
}
static int32_t expression(void) {
  int32_t v = term();
  for (;;) {
    while (*cursor == ' ') ++cursor;
    char op = *cursor;
    if (op != '+' && op != '-') return v;
    ++cursor;
    int32_t r = term();
    v = op == '+' ? v + r : v - r;
  }
}
static int32_t evaluate(const char *text) {
  cursor = text;
  return expression();
}

#define GRID 16
static uint8_t grid[GRID][GRID];
static uint32_t fill(int x, int y, uint8_t from, uint8_t to) {
  if (x < 0 || y < 0 || x >= GRID || y >= GRID || grid[y][x] != from) return 0;
  grid[y][x] = to;
  return 1 + fill(x + 1, y, from, to) + fill(x - 1, y, from, to) + fill(x, y + 1, from, to) + fill(x, y - 1, from, to);
}

struct node {
  int16_t key;
  uint8_t left, right; /* pool index + 1, 0 = none */
};
static struct node pool[200];
static uint8_t pool_used;
static uint8_t insert(uint8_t at, int16_t key) {
  if (at == 0) {
    pool[pool_used].key = key;
    return ++pool_used;
  }
  struct node *n = &pool[at - 1];
  if (key < n->key) n->left = insert(n->left, key);
  else n->right = insert(n->right, key);
  return at;
}
static uint32_t height(uint8_t at) {
  if (at == 0) return 0;
  uint32_t l = height(pool[at - 1].left), r = height(pool[at - 1].right);
  return 1 + (l > r ? l : r);
}
static uint32_t in_order(uint8_t at, uint32_t h) {
  if (at == 0) return h;
  h = in_order(pool[at - 1].left, h);
  h = mix(h, (uint32_t)(int32_t)pool[at - 1].key);
  return in_order(pool[at - 1].right, h);
}
static uint32_t leaves(uint8_t at) {
  if (at == 0) return 0;
  const struct node *n = &pool[at - 1];
  return (n->left == 0 && n->right == 0) ? 1 : leaves(n->left) + leaves(n->right);
}

static int is_odd(uint32_t n);
static int is_even(uint32_t n) { return n == 0 ? 1 : is_odd(n - 1); }
static int is_odd(uint32_t n) { return n == 0 ? 0 : is_even(n - 1); }

static uint32_t mccarthy(uint32_t n) { return n > 100 ? n - 10 : mccarthy(mccarthy(n + 11)); }

int main(void) {
  kq_report("fibonacci 20", fibonacci(20));
  kq_report("ackermann 2 7", ackermann(2, 7));
  kq_report("ackermann 3 3", ackermann(3, 3));

  hanoi_hash = HASH_START;
  hanoi(11, 1, 3, 2);
  kq_report("hanoi", hanoi_hash);

  queens(0);
  kq_report("queens", solutions);
  kq_report("first queens", first_solution);

  for (int i = 0; i < 7; ++i) items[i] = (uint8_t)(i + 1);
  permutation_hash = HASH_START;
  permute(0, 7);
  kq_report("permutations", permutations);
  kq_report("permutation hash", permutation_hash);

  static const char *const expressions[] = {
      "1 + 2 * 3",
      "(1 + 2) * 3 - -4",
      "1000000 / 7 % 13 + 100 * (3 - 5)",
      "-(((2)))*(-(3+4)*(5-6))/(7%4)",
      "123456 * 789 / 1000 - 65536 % 1000",
      "((((((((1+1)*2)+1)*2)+1)*2)+1)*2)",
  };
  uint32_t values = HASH_START;
  for (unsigned i = 0; i < sizeof expressions / sizeof expressions[0]; ++i)
    values = mix(values, (uint32_t)evaluate(expressions[i]));
  kq_report("expressions", values);

  uint32_t state = 0xF1F1F1F1u;
  for (int y = 0; y < GRID; ++y)
    for (int x = 0; x < GRID; ++x) grid[y][x] = (next_random(&state) & 3) != 0;
  uint32_t regions = 0, largest = 0;
  for (int y = 0; y < GRID; ++y)
    for (int x = 0; x < GRID; ++x) {
      uint32_t size = fill(x, y, 1, 2);
      if (size) ++regions;
      if (size > largest) largest = size;
    }
  kq_report("regions", regions);
  kq_report("largest region", largest);

  uint8_t root = 0;
  for (int i = 0; i < 200; ++i) root = insert(root, (int16_t)(next_random(&state) >> 17) - 16384);
  kq_report("tree height", height(root));
  kq_report("tree order", in_order(root, HASH_START));
  kq_report("tree leaves", leaves(root));

  kq_report("even 301", (uint32_t)is_even(301));
  kq_report("odd 301", (uint32_t)is_odd(301));
  uint32_t m = 0;
  for (uint32_t n = 0; n < 120; n += 3) m += mccarthy(n);
  kq_report("mccarthy", m);
  return 0;
}
