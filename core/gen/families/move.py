"""MOVE (B, W, L), MOVEA (W, L) and MOVEQ.

A MOVE slot fixes the size (line), the destination (register bits 11-9, mode bits 8-6)
and the source mode; the handler name ends in the destination: D3, PostIncA5, AbsW.
"""

from opmap import MODE_ENUM, MODE_WORDS, MOVE_SIZES

HEADER = 'core/ops/move.h'

KEYS = {'MOVE', 'MOVEA', 'MOVEQ'}

_DESTINATIONS = {0: 'D', 2: 'IndA', 3: 'PostIncA', 4: 'PreDecA', 5: 'DispA', 6: 'IndexA'}


def _destination(slot):
    if slot.op == 7:
        return ['AbsW', 'AbsL'][slot.rx]
    return f'{_DESTINATIONS[slot.op]}{slot.rx}'


def handler(key, slot):
    if key == 'MOVEQ':
        return f'M68kOpMOVEQ_L_Dn_D{slot.rx}', f'OpMoveQ<{slot.rx}>();'
    size = MOVE_SIZES[slot.line]
    source = MODE_WORDS[slot.mode]
    if key == 'MOVEA':
        return (f'M68kOpMOVEA_{size}_{source}_A{slot.rx}',
                f'OpMoveA<Size::{size}, {MODE_ENUM[slot.mode]}, {slot.rx}>();')
    return (f'M68kOpMOVE_{size}_{source}_{_destination(slot)}',
            f'OpMove<Size::{size}, {MODE_ENUM[slot.mode]}, {MODE_ENUM[slot.op]}, {slot.rx}>();')
