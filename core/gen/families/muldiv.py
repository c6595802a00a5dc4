"""MULU and MULS (line C), DIVU and DIVS (line 8): word source, data-register destination."""

from opmap import MODE_ENUM, MODE_WORDS

HEADER = 'core/ops/muldiv.h'

KEYS = {'MULU', 'MULS', 'DIVU', 'DIVS'}


def handler(key, slot):
    template = 'OpMul' if key.startswith('MUL') else 'OpDiv'
    signedness = 'Signed' if key.endswith('S') else 'Unsigned'
    return (f'M68kOp{key}_W_{MODE_WORDS[slot.mode]}_{slot.rx}',
            f'{template}<Signedness::{signedness}, {MODE_ENUM[slot.mode]}, {slot.rx}>();')
