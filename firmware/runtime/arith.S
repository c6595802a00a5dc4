/* 32-bit multiply and divide for the 68000, whose MULU/DIVU take 16-bit operands, and the
   64-bit shifts. The compiler calls these with the operands on the stack and takes the
   result from D0 (and D1); D0, D1, A0 and A1 are free, every other register is kept. A
   zero divisor takes the divide-by-zero trap, as a lone DIVU would. */

	.text

/* Low 32 bits of a * b, for signed and unsigned operands alike: the product of the low
   words plus the cross products shifted up; the high words' product lies wholly above
   bit 31. */
	.globl	__mulsi3
__mulsi3:
	move.w	4(%sp), %d0		| a high
	mulu.w	10(%sp), %d0		| * b low
	move.w	8(%sp), %d1		| b high
	mulu.w	6(%sp), %d1		| * a low
	add.w	%d1, %d0		| only the low words of the cross products count
	swap	%d0
	clr.w	%d0
	move.w	6(%sp), %d1		| a low
	mulu.w	10(%sp), %d1		| * b low
	add.l	%d1, %d0
	rts

/* D0 / D1 unsigned: quotient in D0, remainder in D1. Uses D2-D4, which the entry points
   save. */
udivmod:
	cmp.l	#0xFFFF, %d1
	bhi.s	.Lwide
	/* A divisor of 16 bits: the high word of the dividend first, then the remainder with
	   the low word; the remainder is below the divisor, so neither quotient overflows. */
	move.l	%d0, %d2
	clr.w	%d2
	swap	%d2			| dividend high word
	divu.w	%d1, %d2		| remainder : quotient high word
	move.w	%d2, %d3
	move.w	%d0, %d2		| remainder : dividend low word
	divu.w	%d1, %d2		| remainder : quotient low word
	move.l	%d2, %d1
	clr.w	%d1
	swap	%d1			| remainder
	move.w	%d3, %d0
	swap	%d0
	move.w	%d2, %d0		| quotient high : low
	rts

	/* A divisor above 16 bits: the quotient fits in 16 bits. Shift both operands right
	   until the divisor fits in 16 bits; the quotient of the shifted values is never
	   below the true one and at most two above it, so step it down until its product
	   with the divisor no longer exceeds the dividend. */
.Lwide:
	move.l	%d1, %d3
	move.l	%d0, %d2
0:	lsr.l	#1, %d3
	lsr.l	#1, %d2
	cmp.l	#0xFFFF, %d3
	bhi.s	0b
	divu.w	%d3, %d2
	and.l	#0xFFFF, %d2		| trial quotient
1:	move.l	%d1, %d3
	swap	%d3
	mulu.w	%d2, %d3		| quotient * divisor high word
	move.l	%d3, %d4
	swap	%d4
	tst.w	%d4
	bne.s	2f			| the product has more than 32 bits
	swap	%d3
	clr.w	%d3
	move.w	%d1, %d4
	mulu.w	%d2, %d4		| quotient * divisor low word
	add.l	%d4, %d3
	bcs.s	2f
	move.l	%d0, %d4
	sub.l	%d3, %d4		| remainder
	bcs.s	2f			| the product exceeds the dividend
	move.l	%d4, %d1
	move.l	%d2, %d0
	rts
2:	subq.l	#1, %d2
	bra.s	1b

/* Loads the operands into D0 and D1 behind the saved D2-D4. */
	.macro	operands
	movem.l	%d2-%d4, -(%sp)
	move.l	16(%sp), %d0
	move.l	20(%sp), %d1
	.endm

	.macro	done
	movem.l	(%sp)+, %d2-%d4
	rts
	.endm

	.globl	__udivsi3
__udivsi3:
	operands
	bsr	udivmod
	done

	.globl	__umodsi3
__umodsi3:
	operands
	bsr	udivmod
	move.l	%d1, %d0
	done

/* Signed forms. A divisor that is a sign-extended word takes a single DIVS, unless the
   quotient does not fit in a word; the rest go through udivmod on the magnitudes: the
   quotient is negative when the operands' signs differ, the remainder takes the
   dividend's sign (C truncates towards zero), as DIVS does. */
	.globl	__divsi3
__divsi3:
	operands
	bsr	word_divide
	bvs.s	0f
	ext.l	%d0
	done
0:	move.l	%d0, %d2
	eor.l	%d1, %d2
	move.l	%d2, %a1		| bit 31: the quotient's sign
	bsr	magnitudes
	bsr	udivmod
	move.l	%a1, %d2
	bpl.s	1f
	neg.l	%d0
1:	done

	.globl	__modsi3
__modsi3:
	operands
	bsr	word_divide
	bvs.s	0f
	swap	%d0
	ext.l	%d0
	done
0:	move.l	%d0, %a1		| bit 31: the remainder's sign
	bsr	magnitudes
	bsr	udivmod
	move.l	%d1, %d0
	move.l	%a1, %d2
	bpl.s	1f
	neg.l	%d0
1:	done

/* DIVS D1,D0 when D1 is a sign-extended word. V set on return: not done, because the
   divisor is longer or the quotient overflowed, and D0 and D1 hold the operands still
   (an overflowing DIVS leaves its register alone). */
word_divide:
	move.w	%d1, %d2
	ext.l	%d2
	cmp.l	%d1, %d2
	bne.s	0f
	divs.w	%d1, %d0
	rts
0:	ori.b	#2, %ccr
	rts

magnitudes:
	tst.l	%d0
	bpl.s	0f
	neg.l	%d0
0:	tst.l	%d1
	bpl.s	1f
	neg.l	%d1
1:	rts

/* 64-bit shifts by 0-63, which the compiler calls when it optimises for size: the value
   at 4(SP), high long first, the count at 12(SP); the result in D0 (high) and D1 (low).
   One bit per round, carried between the halves through X. */
	.macro	shift64 name, lead, lead_register, follow, follow_register
	.globl	\name
\name:
	move.l	%d2, -(%sp)
	movem.l	8(%sp), %d0-%d1
	move.l	16(%sp), %d2
	bra.s	1f
0:	\lead	#1, \lead_register
	\follow	#1, \follow_register
1:	dbra	%d2, 0b
	move.l	(%sp)+, %d2
	rts
	.endm

	shift64	__ashldi3, lsl.l, %d1, roxl.l, %d0
	shift64	__lshrdi3, lsr.l, %d0, roxr.l, %d1
	shift64	__ashrdi3, asr.l, %d0, roxr.l, %d1
