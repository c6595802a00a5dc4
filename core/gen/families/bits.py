"""Bit instructions BTST, BCHG, BCLR, BSET (bit number in a data register or in the
instruction) and MOVEP, which holds the address-register slots of the first kind."""

from opmap import MODE_ENUM, MODE_WORDS

HEADER = 'core/ops/bits.h'

_OPERATION = {'BTST': 'BitOp::Test', 'BCHG': 'BitOp::Change', 'BCLR': 'BitOp::Clear', 'BSET': 'BitOp::Set'}

KEYS = {f'{m}_{form}' for m in _OPERATION for form in ('DN', 'IMM')} | {'MOVEP'}


def handler(key, slot):
    if key == 'MOVEP':
        # op 4, 5: memory to Dx, word and long; op 6, 7: Dx to memory.
        size = 'W' if slot.op % 2 == 0 else 'L'
        to_memory = slot.op >= 6
        direction = 'DnEa' if to_memory else 'EaDn'
        return (f'M68kOpMOVEP_{direction}_{size}_Disp_{slot.rx}',
                f'OpMovep<Size::{size}, {str(to_memory).lower()}, {slot.rx}>();')
    mnemonic, form = key.split('_')
    mode = slot.mode
    width = 'L' if mode == 0 else 'B'
    args = f'{_OPERATION[mnemonic]}, {MODE_ENUM[mode]}'
    if form == 'DN':
        return (f'M68kOp{mnemonic}_{width}_{MODE_WORDS[mode]}_{slot.rx}', f'OpBitDynamic<{args}, {slot.rx}>();')
    return (f'M68kOp{mnemonic}_{width}_{MODE_WORDS[mode]}', f'OpBitStatic<{args}>();')
