"""MOVEM: registers to memory and memory to registers, word and long."""

from opmap import MODE_ENUM, MODE_WORDS

HEADER = 'core/ops/movem.h'

KEYS = {'MOVEM_R2M', 'MOVEM_M2R'}


def handler(key, slot):
    size = 'L' if slot.op & 1 else 'W'
    direction = 'RegsToMem' if key == 'MOVEM_R2M' else 'MemToRegs'
    name = f'M68kOpMOVEM_{size}_{MODE_WORDS[slot.mode]}_{direction}'
    return name, f'OpMovem{direction}<Size::{size}, {MODE_ENUM[slot.mode]}>();'
