"""Status register moves: MOVE from SR, MOVE to CCR and MOVE to SR (word operands)."""

from opmap import MODE_ENUM, MODE_WORDS

HEADER = 'core/ops/status_register.h'

_TEMPLATES = {'MOVEfromSR': 'OpMoveFromSr', 'MOVEtoCCR': 'OpMoveToCcr', 'MOVEtoSR': 'OpMoveToSr'}

KEYS = set(_TEMPLATES)


def handler(key, slot):
    return f'M68kOp{key}_W_{MODE_WORDS[slot.mode]}', f'{_TEMPLATES[key]}<{MODE_ENUM[slot.mode]}>();'
