/* Bit counts that the compiler calls for __builtin_clz, __builtin_ctz and
   __builtin_popcount, which the 68000 has no instruction for. Operand at 4(SP), result
   in D0; a zero operand gives 32 leading or trailing zeros. */

	.text

/* Operand into D1; a zero one returns 32 at once, else D0 starts at 0. */
	.macro	operand_or_32
	move.l	4(%sp), %d1
	moveq	#32, %d0
	tst.l	%d1
	beq.s	9f
	moveq	#0, %d0
	.endm

	.globl	__clzsi2
__clzsi2:
	operand_or_32
	cmp.l	#0xFFFF, %d1
	bhi.s	1f
	swap	%d1
	moveq	#16, %d0
1:	cmp.l	#0xFFFFFF, %d1
	bhi.s	2f
	lsl.l	#8, %d1
	addq.l	#8, %d0
2:	cmp.l	#0xFFFFFFF, %d1
	bhi.s	3f
	lsl.l	#4, %d1
	addq.l	#4, %d0
3:	tst.l	%d1
	bmi.s	9f
	addq.l	#1, %d0
	add.l	%d1, %d1
	bra.s	3b
9:	rts

	.globl	__ctzsi2
__ctzsi2:
	operand_or_32
	tst.w	%d1
	bne.s	1f
	swap	%d1
	moveq	#16, %d0
1:	tst.b	%d1
	bne.s	2f
	lsr.l	#8, %d1
	addq.l	#8, %d0
2:	lsr.l	#1, %d1
	bcs.s	9f
	addq.l	#1, %d0
	bra.s	2b
9:	rts

	.globl	__popcountsi2
__popcountsi2:
	move.l	4(%sp), %d1
	moveq	#0, %d0
	bra.s	1f
0:	lsr.l	#1, %d1
	bcc.s	1f
	addq.l	#1, %d0
1:	tst.l	%d1
	bne.s	0b
	rts
