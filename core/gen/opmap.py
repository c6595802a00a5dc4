"""The 68000 opcode map: which instruction each dispatch slot holds.

A slot is eight opcodes that differ only in bits 2-0 (slot = opcode >> 3). decode()
names the instruction kind of a slot (a key that one family module claims), or
'illegal', 'lineA', 'lineF' for the slots that hold no instruction. Which register
fields of a mode-7 slot are valid is decided at run time by the handler itself.
"""

from dataclasses import dataclass

SIZES = {0: 'B', 1: 'W', 2: 'L'}
MOVE_SIZES = {1: 'B', 3: 'W', 2: 'L'}
MODE_WORDS = ['Dn', 'An', 'Ind', 'PostInc', 'PreDec', 'Disp', 'Index', 'Mode7']
MODE_ENUM = ['kDn', 'kAn', 'kInd', 'kPostInc', 'kPreDec', 'kDisp', 'kIndex', 'kMode7']
CONDITIONS = ['T', 'F', 'HI', 'LS', 'CC', 'CS', 'NE', 'EQ',
              'VC', 'VS', 'PL', 'MI', 'GE', 'LT', 'GT', 'LE']


@dataclass(frozen=True)
class Slot:
    index: int      # opcode >> 3

    @property
    def opcode(self):   # first opcode of the slot
        return self.index << 3

    @property
    def line(self):     # bits 15-12
        return self.opcode >> 12

    @property
    def rx(self):       # bits 11-9
        return (self.opcode >> 9) & 7

    @property
    def op(self):       # bits 8-6
        return (self.opcode >> 6) & 7

    @property
    def mode(self):     # bits 5-3
        return (self.opcode >> 3) & 7

    @property
    def cond(self):     # bits 11-8
        return (self.opcode >> 8) & 15

    @property
    def size(self):     # the usual size field, bits 7-6 (0 B, 1 W, 2 L)
        return SIZES.get((self.opcode >> 6) & 3)


def decode(slot: Slot) -> str:
    line, rx, op, mode = slot.line, slot.rx, slot.op, slot.mode
    if line == 0x0:
        if op >= 4:
            return 'MOVEP' if mode == 1 else ['BTST_DN', 'BCHG_DN', 'BCLR_DN', 'BSET_DN'][op - 4]
        if rx == 4:
            return 'illegal' if mode == 1 else ['BTST_IMM', 'BCHG_IMM', 'BCLR_IMM', 'BSET_IMM'][op]
        if op == 3 or rx == 7 or mode == 1:
            return 'illegal'
        return ['ORI', 'ANDI', 'SUBI', 'ADDI', None, 'EORI', 'CMPI'][rx]
    if line in (0x1, 0x2, 0x3):
        dmode = op
        if dmode == 1:
            return 'illegal' if line == 1 else 'MOVEA'
        if dmode == 7 and rx >= 2:
            return 'illegal'
        if line == 1 and mode == 1:
            return 'illegal'
        return 'MOVE'
    if line == 0x4:
        if op == 6:
            return 'illegal' if mode == 1 else 'CHK'
        if op == 7:
            return 'LEA' if mode in (2, 5, 6, 7) else 'illegal'
        if op >= 4:
            return 'illegal'
        if rx in (0, 1, 2, 3, 5):
            if mode == 1:
                return 'illegal'
            if op < 3:
                return ['NEGX', 'CLR', 'NEG', 'NOT', None, 'TST'][rx]
            return ['MOVEfromSR', 'illegal', 'MOVEtoCCR', 'MOVEtoSR', None, 'TAS'][rx]
        if rx == 4:
            if op == 0:
                return 'illegal' if mode == 1 else 'NBCD'
            if op == 1:
                if mode == 0:
                    return 'SWAP'
                return 'PEA' if mode in (2, 5, 6, 7) else 'illegal'
            if mode == 0:
                return 'EXT'
            return 'MOVEM_R2M' if mode in (2, 4, 5, 6, 7) else 'illegal'
        if rx == 6:
            if op < 2:
                return 'illegal'
            return 'MOVEM_M2R' if mode in (2, 3, 5, 6, 7) else 'illegal'
        # rx == 7: 0x4E00-0x4EFF
        if op == 0:
            return 'illegal'
        if op == 1:
            return ['TRAP', 'TRAP', 'LINK', 'UNLK', 'MOVEtoUSP', 'MOVEfromUSP',
                    'SYSCTL', 'illegal'][mode]
        if mode in (2, 5, 6, 7):
            return 'JSR' if op == 2 else 'JMP'
        return 'illegal'
    if line == 0x5:
        if op in (3, 7):
            return 'DBCC' if mode == 1 else 'SCC'
        if mode == 1 and op in (0, 4):
            return 'illegal'
        return 'ADDQ' if op < 3 else 'SUBQ'
    if line == 0x6:
        return 'BRANCH_W' if (slot.index & 0x1F) == 0 else 'BRANCH_B'
    if line == 0x7:
        return 'illegal' if op & 4 else 'MOVEQ'
    if line == 0x8:
        if op < 3:
            return 'illegal' if mode == 1 else 'OR_EA_DN'
        if op in (3, 7):
            return 'illegal' if mode == 1 else ('DIVU' if op == 3 else 'DIVS')
        if mode < 2:
            return 'SBCD' if op == 4 else 'illegal'
        return 'OR_DN_EA'
    if line in (0x9, 0xD):
        name = 'SUB' if line == 0x9 else 'ADD'
        if op < 3:
            return 'illegal' if (mode == 1 and op == 0) else name + '_EA_DN'
        if op in (3, 7):
            return name + 'A'
        return name + 'X' if mode < 2 else name + '_DN_EA'
    if line == 0xA:
        return 'lineA'
    if line == 0xB:
        if op < 3:
            return 'illegal' if (mode == 1 and op == 0) else 'CMP'
        if op in (3, 7):
            return 'CMPA'
        return 'CMPM' if mode == 1 else 'EOR'
    if line == 0xC:
        if op < 3:
            return 'illegal' if mode == 1 else 'AND_EA_DN'
        if op in (3, 7):
            return 'illegal' if mode == 1 else ('MULU' if op == 3 else 'MULS')
        if op == 4:
            return 'ABCD' if mode < 2 else 'AND_DN_EA'
        if op == 5:
            return ['EXG_DD', 'EXG_AA'][mode] if mode < 2 else 'AND_DN_EA'
        if mode == 0:
            return 'illegal'
        return 'EXG_DA' if mode == 1 else 'AND_DN_EA'
    if line == 0xE:
        if (op & 3) != 3:
            return ['ASX_REG', 'LSX_REG', 'ROXX_REG', 'ROX_REG'][mode & 3]
        if rx >= 4 or mode < 2:
            return 'illegal'
        return ['ASX_MEM', 'LSX_MEM', 'ROXX_MEM', 'ROX_MEM'][rx]
    return 'lineF'
