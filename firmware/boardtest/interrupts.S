/* The two busiest interrupt entries, kept short: the timer tick (level 1) and the
   serial receiver (level 3). The key FIFO's entry (level 2) is in C. */

#include "board.h"

	.text

/* Level 1: any access to the timer's page withdraws the request. */
	.globl	exception_vector_25
exception_vector_25:
	clr.b	TIMER_ACK
	addq.l	#1, ticks
	addq.l	#1, REPORT(KQ_BT_TICKS)
	rte

/* Level 3: takes every byte the receiver holds into the MIDI ring and sends it straight
   back out when the transmitter has room. The request ends with the last byte taken. */
	.globl	exception_vector_27
exception_vector_27:
	movem.l	%d0/%a0, -(%sp)
	lea	midi_ring, %a0
1:	btst	#0, UART_STATUS
	beq.s	3f
	moveq	#0, %d0
	move.b	midi_ring_write, %d0
	move.b	UART_DATA, (%a0, %d0.w)
	addq.b	#1, midi_ring_write
	addq.l	#1, REPORT(KQ_BT_UART_RECEIVED)
	btst	#1, UART_STATUS
	beq.s	2f
	move.b	(%a0, %d0.w), UART_DATA
	addq.l	#1, REPORT(KQ_BT_UART_ECHOED)
	bra.s	1b
2:	addq.l	#1, REPORT(KQ_BT_UART_DROPPED)
	bra.s	1b
3:	movem.l	(%sp)+, %d0/%a0
	rte

/* Lets the three device levels in. */
	.globl	interrupts_enable
interrupts_enable:
	move.w	#0x2000, %sr
	rts

	.bss
	.globl	ticks, midi_ring, midi_ring_write
	.even
ticks:	.skip	4
midi_ring:
	.skip	256
midi_ring_write:
	.skip	1
	.even
