/* The board test firmware as the host sees it: where it reports in work RAM, how it
   lays out the patch memory, and the SysEx messages it understands. Included by the
   firmware (C and assembly) and by the host's tests, so it holds only constants. */
#ifndef KQ_BOARDTEST_H
#define KQ_BOARDTEST_H

#include "../runtime/mailbox.h"

/* The report: big-endian longs in the mailbox at the start of work RAM (KQ_MAILBOX_KQ),
   after its exception fields. Counters run from 0 at every start. */
#define KQ_BT_MAGIC 0x10            /* KQ_BT_READY once the set-up is complete */
#define KQ_BT_BOOTS 0x14            /* this start's number, from the patch memory */
#define KQ_BT_CHECKS 0x18           /* KQ_BT_CHECK_* bits */
#define KQ_BT_TICKS 0x1C            /* timer interrupts taken */
#define KQ_BT_UART_RECEIVED 0x20    /* bytes taken from the serial receiver */
#define KQ_BT_UART_ECHOED 0x24      /* of those, sent back out */
#define KQ_BT_UART_DROPPED 0x28     /* of those, not echoed: the transmitter was full */
#define KQ_BT_NOTES 0x2C            /* notes started, from MIDI and the key FIFO */
#define KQ_BT_LAST_NOTE 0x30        /* note << 8 | velocity of the last note started */
#define KQ_BT_LAST_FREQUENCY 0x34   /* its oscillator frequency register */
#define KQ_BT_KEY_EVENTS 0x38       /* events read from the key FIFO */
#define KQ_BT_SYSEX 0x3C            /* complete SysEx messages of ours */
#define KQ_BT_DUMP_BYTES 0x40       /* bytes of the last patch dump */
#define KQ_BT_DUMP_SUM 0x44         /* their sum */
#define KQ_BT_SWITCHES_LOW 0x48     /* switch rows 0-3, row 0 in the top byte */
#define KQ_BT_SWITCHES_HIGH 0x4C    /* switch rows 4-7 */
#define KQ_BT_LIGHTS 0x50           /* lit lights, bit n = light n of the light latch */
#define KQ_BT_DIGIT_LATCH 0x54      /* last word written to the digit latch */
#define KQ_BT_ADC_LOW 0x58          /* analog inputs 0-3, input 0 in the top byte */
#define KQ_BT_ADC_HIGH 0x5C         /* analog inputs 4-7 */
#define KQ_BT_PROGRAM 0x60          /* program number shown on the digits */
#define KQ_BT_SOUNDING 0x64         /* bit v: voice v plays a note */
#define KQ_BT_REPORT_END 0x68

#define KQ_BT_READY 0x4B514254 /* "KQBT" */

#define KQ_BT_CHECK_LCD_COUNTER 0x01 /* the LCD address counter followed every write */
#define KQ_BT_CHECK_LCD_GLYPHS 0x02  /* the user glyphs read back as written */
#define KQ_BT_CHECK_PATCH_VALID 0x04 /* the patch memory held a boot record at start */
#define KQ_BT_CHECK_CARTRIDGE 0x08   /* a cartridge with its signature is plugged in */

/* Patch memory (offsets from 0x18000): the boot record, then the last patch dump. */
#define KQ_BT_PATCH_MAGIC 0x0000      /* KQ_BT_READY once a boot record exists */
#define KQ_BT_PATCH_BOOTS 0x0004      /* starts so far, this one included */
#define KQ_BT_PATCH_BOOTS_CHECK 0x0008 /* the complement of the count */
#define KQ_BT_PATCH_DUMP_BYTES 0x000C /* length of the stored dump */
#define KQ_BT_PATCH_DUMP 0x0100       /* the dump's data bytes */
#define KQ_BT_PATCH_DUMP_MAX 0x3F00

/* SysEx: F0 7D <command> <data bytes> F7 (7D: the identifier for non-commercial use). */
#define KQ_BT_SYSEX_ID 0x7D
#define KQ_BT_SYSEX_TEXT 0x01      /* up to 16 characters for the LCD's second line */
#define KQ_BT_SYSEX_DUMP 0x02      /* data bytes into the patch memory */
#define KQ_BT_SYSEX_CARTRIDGE 0x03 /* writes the signature into the cartridge */

#endif
