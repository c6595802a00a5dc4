"""Compares: CMP, CMPA, CMPM (line B) and CMPI (line 0)."""

from opmap import MODE_ENUM, MODE_WORDS, SIZES

HEADER = 'core/ops/compare.h'

KEYS = {'CMP', 'CMPA', 'CMPM', 'CMPI'}


def handler(key, slot):
    mode = MODE_WORDS[slot.mode]
    if key == 'CMPI':
        return (f'M68kOpCMPI_{slot.size}_{mode}',
                f'OpCmpi<Size::{slot.size}, {MODE_ENUM[slot.mode]}>();')
    if key == 'CMP':
        size, template = SIZES[slot.op], 'OpCmp'
    elif key == 'CMPA':
        size, template = ('W' if slot.op == 3 else 'L'), 'OpCmpa'
    else:  # CMPM: the register field is Ax, the EA register Ay
        return (f'M68kOpCMPM_{SIZES[slot.op - 4]}_PostInc_{slot.rx}',
                f'OpCmpm<Size::{SIZES[slot.op - 4]}, {slot.rx}>();')
    return (f'M68kOp{key}_{size}_{mode}_{slot.rx}',
            f'{template}<Size::{size}, {MODE_ENUM[slot.mode]}, {slot.rx}>();')
