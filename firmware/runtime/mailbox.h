/* Where a program leaves its results for the host: a small block at a fixed address of
   each memory map. Included by the 68000 runtime and by the host that reads the block
   back, so it holds only constants. Every field is a big-endian long. */
#ifndef KQ_MAILBOX_H
#define KQ_MAILBOX_H

#define KQ_MAILBOX_FLAT 0x00400 /* flat 128 KB RAM map: just above the vector area */
#define KQ_MAILBOX_KQ 0x1C000   /* KQ map: the first bytes of work RAM */

#define KQ_MAILBOX_EXCEPTION 0x00 /* vector number of an unexpected exception, else 0 */
#define KQ_MAILBOX_EXCEPTION_PC 0x04 /* PC in its stack frame */
#define KQ_MAILBOX_EXCEPTION_SR 0x08 /* SR in its stack frame */
#define KQ_MAILBOX_COUNT 0x0C /* number of values reported */
#define KQ_MAILBOX_VALUES 0x10 /* the values, in the order of reporting */

#define KQ_MAILBOX_FLAT_SIZE 0x400
#define KQ_MAILBOX_KQ_SIZE 0x100
#define KQ_MAILBOX_CAPACITY(size) (((size) - KQ_MAILBOX_VALUES) / 4)

#endif
