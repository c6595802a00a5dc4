/* A small stack machine dispatched through a switch, the way firmware runs tables of
   commands. Its byte code is put together at run time by a little assembler with
   forward labels; the programs count primes, fold squares and bits, and step
   Fibonacci numbers and Euclid's algorithm. */
#include "common.h"

enum opcode {
  PUSH,  /* next two bytes: a signed word */
  LOAD,  /* next byte: variable */
  STORE, /* next byte: variable */
  ADD, SUB, MUL, DIV, MOD, NEG, AND, OR, XOR, SHL, SHR,
  DUP, DROP, SWAP, OVER,
  LESS, EQUAL,
  JUMP, /* next two bytes: target */
  JZ,   /* pops; next two bytes: target */
  JNZ,  /* pops; next two bytes: target */
  EMIT, /* pops and reports */
  HALT
};

static int32_t variables[8];

static uint32_t run(const uint8_t *code) {
  int32_t stack[32];
  int sp = 0;
  uint32_t pc = 0, steps = 0;
  for (;;) {
    ++steps;
    uint8_t op = code[pc++];
#define target ((uint32_t)(code[pc] << 8 | code[pc + 1]))
    switch (op) {
      case PUSH: stack[sp++] = (int16_t)target; pc += 2; break;
      case LOAD: stack[sp++] = variables[code[pc++]]; break;
      case STORE: variables[code[pc++]] = stack[--sp]; break;
      case ADD: --sp; stack[sp - 1] = (int32_t)((uint32_t)stack[sp - 1] + (uint32_t)stack[sp]); break;
      case SUB: --sp; stack[sp - 1] = (int32_t)((uint32_t)stack[sp - 1] - (uint32_t)stack[sp]); break;
      case MUL: --sp; stack[sp - 1] = (int32_t)((uint32_t)stack[sp - 1] * (uint32_t)stack[sp]); break;
      case DIV: --sp; stack[sp - 1] = stack[sp] ? stack[sp - 1] / stack[sp] : 0; break;
      case MOD: --sp; stack[sp - 1] = stack[sp] ? stack[sp - 1] % stack[sp] : 0; break;
      case NEG: stack[sp - 1] = (int32_t)(0u - (uint32_t)stack[sp - 1]); break;
      case AND: --sp; stack[sp - 1] &= stack[sp]; break;
      case OR: --sp; stack[sp - 1] |= stack[sp]; break;
      case XOR: --sp; stack[sp - 1] ^= stack[sp]; break;
      case SHL: --sp; stack[sp - 1] = (int32_t)((uint32_t)stack[sp - 1] << (stack[sp] & 31)); break;
      case SHR: --sp; stack[sp - 1] >>= stack[sp] & 31; break;
      case DUP: stack[sp] = stack[sp - 1]; ++sp; break;
      case DROP: --sp; break;
      case SWAP: {
        int32_t t = stack[sp - 1];
        stack[sp - 1] = stack[sp - 2];
        stack[sp - 2] = t;
        break;
      }
      case OVER: stack[sp] = stack[sp - 2]; ++sp; break;
      case LESS: --sp; stack[sp - 1] = stack[sp - 1] < stack[sp]; break;
      case EQUAL: --sp; stack[sp - 1] = stack[sp - 1] == stack[sp]; break;
      case JUMP: pc = target; break;
      case JZ: pc = stack[--sp] == 0 ? target : pc + 2; break;
      case JNZ: pc = stack[--sp] != 0 ? target : pc + 2; break;
      case EMIT: kq_report("emitted", (uint32_t)stack[--sp]); break;
      case HALT: return steps;
      default: return 0xFFFFFFFFu;
    }
#undef target
  }
}

/* The assembler: code, label addresses and the jumps that wait for them. */
static uint8_t code[256];
static uint16_t size;
static uint16_t labels[8];
static struct {
  uint16_t at;
  uint8_t label;
} fixups[16];
static uint8_t fixup_count;

static void start(void) {
  size = 0;
  fixup_count = 0;
}
static void op(uint8_t o) { code[size++] = o; }
static void op_byte(uint8_t o, uint8_t b) {
  op(o);
  code[size++] = b;
}
static void op_word(uint8_t o, int16_t w) {
  op(o);
  code[size++] = (uint8_t)((uint16_t)w >> 8);
  code[size++] = (uint8_t)w;
}
static void jump(uint8_t o, uint8_t label) {
  fixups[fixup_count].at = (uint16_t)(size + 1);
  fixups[fixup_count++].label = label;
  op_word(o, 0);
}
static void place(uint8_t label) { labels[label] = size; }
static const uint8_t *finish(void) {
  for (uint8_t i = 0; i < fixup_count; ++i) {
    code[fixups[i].at] = (uint8_t)(labels[fixups[i].label] >> 8);
    code[fixups[i].at + 1] = (uint8_t)labels[fixups[i].label];
  }
  return code;
}

enum { N, D, COUNT, ACC, A, B };
enum { TOP, INNER, PRIME, NEXT, DONE };

static void assemble_prime_count(int16_t limit) {
  start();
  op_word(PUSH, 2), op_byte(STORE, N), op_word(PUSH, 0), op_byte(STORE, COUNT);
  place(TOP);
  op_byte(LOAD, N), op_word(PUSH, limit), op(LESS), jump(JZ, DONE);
  op_word(PUSH, 2), op_byte(STORE, D);
  place(INNER);
  op_byte(LOAD, N), op_byte(LOAD, D), op(DUP), op(MUL), op(LESS), jump(JNZ, PRIME);
  op_byte(LOAD, N), op_byte(LOAD, D), op(MOD), jump(JZ, NEXT);
  op_byte(LOAD, D), op_word(PUSH, 1), op(ADD), op_byte(STORE, D), jump(JUMP, INNER);
  place(PRIME);
  op_byte(LOAD, COUNT), op_word(PUSH, 1), op(ADD), op_byte(STORE, COUNT);
  place(NEXT);
  op_byte(LOAD, N), op_word(PUSH, 1), op(ADD), op_byte(STORE, N), jump(JUMP, TOP);
  place(DONE);
  op_byte(LOAD, COUNT), op(EMIT), op(HALT);
}

/* acc = (acc ^ (n * n << (n & 7))) + (n >> 2) - (n & 3), for n below the limit. */
static void assemble_square_fold(int16_t limit) {
  start();
  op_word(PUSH, 0), op_byte(STORE, N), op_word(PUSH, 0x1234), op_byte(STORE, ACC);
  place(TOP);
  op_byte(LOAD, N), op_word(PUSH, limit), op(LESS), jump(JZ, DONE);
  op_byte(LOAD, ACC), op_byte(LOAD, N), op(DUP), op(MUL), op_byte(LOAD, N), op_word(PUSH, 7), op(AND), op(SHL), op(XOR);
  op_byte(LOAD, N), op_word(PUSH, 2), op(SHR), op(ADD), op_byte(LOAD, N), op_word(PUSH, 3), op(AND), op(SUB);
  op_byte(STORE, ACC);
  op_byte(LOAD, N), op_word(PUSH, 1), op(ADD), op_byte(STORE, N), jump(JUMP, TOP);
  place(DONE);
  op_byte(LOAD, ACC), op(EMIT), op(HALT);
}

/* Fibonacci numbers modulo 10007 on the stack, every 50th emitted, then Euclid on pairs
   of them. */
static void assemble_fibonacci(int16_t terms) {
  start();
  op_word(PUSH, 0), op_word(PUSH, 1), op_word(PUSH, 0), op_byte(STORE, N);
  place(TOP);
  op_byte(LOAD, N), op_word(PUSH, terms), op(LESS), jump(JZ, DONE);
  op(SWAP), op(OVER), op(ADD), op_word(PUSH, 10007), op(MOD);
  op_byte(LOAD, N), op_word(PUSH, 50), op(MOD), jump(JNZ, NEXT);
  op(DUP), op(EMIT);
  /* gcd(top, n + 1000) */
  op(DUP), op_byte(STORE, A), op_byte(LOAD, N), op_word(PUSH, 1000), op(ADD), op_byte(STORE, B);
  place(INNER);
  op_byte(LOAD, B), jump(JZ, PRIME);
  op_byte(LOAD, A), op_byte(LOAD, B), op(MOD), op_byte(LOAD, B), op_byte(STORE, A), op_byte(STORE, B), jump(JUMP, INNER);
  place(PRIME);
  op_byte(LOAD, A), op(EMIT);
  place(NEXT);
  op_byte(LOAD, N), op_word(PUSH, 1), op(ADD), op_byte(STORE, N), jump(JUMP, TOP);
  place(DONE);
  op(ADD), op(NEG), op(EMIT), op(HALT);
}

int main(void) {
  assemble_prime_count(1200);
  kq_report("code size", size);
  kq_report("prime steps", run(finish()));
  assemble_square_fold(3000);
  kq_report("fold steps", run(finish()));
  assemble_fibonacci(700);
  kq_report("fibonacci steps", run(finish()));
  uint32_t h = HASH_START;
  for (int i = 0; i < 8; ++i) h = mix(h, (uint32_t)variables[i]);
  kq_report("variables", h);
  return 0;
}
