/* Start-up of every 68000 program: the vector table, the code that prepares memory for
   C and calls main, and the catch-all that records an exception the program did not
   expect and halts. The linker script of the memory map supplies the symbols
   __stack_top, __data_load/__data_start/__data_end, __bss_start/__bss_end and
   __mailbox_start/__mailbox_end. */

#include "mailbox.h"

/* Reset vectors, then vectors 2-63. A program takes over vector N by defining
   exception_vector_N; the others lead to the catch-all. Vectors 64-255 (vectored
   interrupts) are never used: every device interrupts through the autovectors. */
	.section .vectors, "a"
	.long	__stack_top
	.long	_start
	.irp	n, 2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,32,33,34,35,36,37,38,39,40,41,42,43,44,45,46,47,48,49,50,51,52,53,54,55,56,57,58,59,60,61,62,63
	.long	exception_vector_\n
	.endr

	.text
	.globl	_start
_start:
	lea	__stack_top, %sp
	/* Initialised data from its load address; in a RAM-only map both are the same. */
	lea	__data_load, %a0
	lea	__data_start, %a1
	cmpa.l	%a0, %a1
	beq.s	2f
	lea	__data_end, %a2
	bra.s	1f
0:	move.b	(%a0)+, (%a1)+
1:	cmpa.l	%a2, %a1
	blo.s	0b
2:	lea	__mailbox_start, %a0
	lea	__mailbox_end, %a1
	bsr.s	clear
	lea	__bss_start, %a0
	lea	__bss_end, %a1
	bsr.s	clear
	jsr	main
	.globl	halt
halt:	stop	#0x2700
	bra.s	halt

/* Clears the bytes from A0 up to A1. */
clear:	bra.s	1f
0:	clr.b	(%a0)+
1:	cmpa.l	%a1, %a0
	blo.s	0b
	rts

/* One entry per vector: it notes its vector number and joins the common tail, which
   notes where the exception struck (the PC and SR of its stack frame) and halts. Only
   MOVE and branches here, so that the catch-all works whatever else the program
   breaks. */
	.irp	n, 2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,32,33,34,35,36,37,38,39,40,41,42,43,44,45,46,47,48,49,50,51,52,53,54,55,56,57,58,59,60,61,62,63
	.weak	exception_vector_\n
	.set	exception_vector_\n, unexpected_\n
unexpected_\n:
	move.l	#\n, __mailbox_start + KQ_MAILBOX_EXCEPTION
	bra.w	unexpected
	.endr

unexpected:
	move.l	2(%sp), __mailbox_start + KQ_MAILBOX_EXCEPTION_PC
	move.w	(%sp), __mailbox_start + KQ_MAILBOX_EXCEPTION_SR + 2
	bra.w	halt
