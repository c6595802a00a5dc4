"""Single-operand instructions of line 4: NEGX, CLR, NEG, NOT, TST (B, W, L) and TAS (B)."""

from opmap import MODE_ENUM, MODE_WORDS

HEADER = 'core/ops/single_operand.h'

_TEMPLATES = {'NEGX': 'OpNegx', 'CLR': 'OpClr', 'NEG': 'OpNeg', 'NOT': 'OpNot', 'TST': 'OpTst'}

KEYS = set(_TEMPLATES) | {'TAS'}


def handler(key, slot):
    mode = MODE_ENUM[slot.mode]
    if key == 'TAS':
        return f'M68kOpTAS_B_{MODE_WORDS[slot.mode]}', f'OpTas<{mode}>();'
    name = f'M68kOp{key}_{slot.size}_{MODE_WORDS[slot.mode]}'
    return name, f'{_TEMPLATES[key]}<Size::{slot.size}, {mode}>();'
