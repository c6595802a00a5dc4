"""Packed decimal: ABCD (line C), SBCD (line 8), NBCD (line 4)."""

from opmap import MODE_ENUM, MODE_WORDS

HEADER = 'core/ops/decimal.h'

KEYS = {'ABCD', 'SBCD', 'NBCD'}


def handler(key, slot):
    if key == 'NBCD':
        return (f'M68kOpNBCD_B_{MODE_WORDS[slot.mode]}', f'OpNbcd<{MODE_ENUM[slot.mode]}>();')
    # Bit 3 chooses the form: Dy,Dx or -(Ay),-(Ax).
    mode = 4 if slot.mode == 1 else 0
    arith = 'Add' if key == 'ABCD' else 'Sub'
    return (f'M68kOp{key}_B_{MODE_WORDS[mode]}_{slot.rx}',
            f'OpBcd<Arith::{arith}, {MODE_ENUM[mode]}, {slot.rx}>();')
