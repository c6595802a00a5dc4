"""Logic: AND and OR in both directions, EOR, and ANDI, ORI, EORI (whose mode-7 byte and
word handlers also carry the forms to CCR and to SR)."""

from opmap import MODE_ENUM, MODE_WORDS

HEADER = 'core/ops/logic.h'

_OPERATION = {'AND': 'Logic::And', 'OR': 'Logic::Or', 'EOR': 'Logic::Eor',
              'ANDI': 'Logic::And', 'ORI': 'Logic::Or', 'EORI': 'Logic::Eor'}

KEYS = {'AND_EA_DN', 'AND_DN_EA', 'OR_EA_DN', 'OR_DN_EA', 'EOR', 'ANDI', 'ORI', 'EORI'}


def handler(key, slot):
    size, mode = slot.size, slot.mode
    mnemonic = key.split('_')[0]
    args = f'{_OPERATION[mnemonic]}, Size::{size}, {MODE_ENUM[mode]}'
    if key in ('ANDI', 'ORI', 'EORI'):
        return (f'M68kOp{key}_{size}_{MODE_WORDS[mode]}', f'OpLogicImmediate<{args}>();')
    if key == 'EOR':
        return (f'M68kOpEOR_{size}_{MODE_WORDS[mode]}_{slot.rx}', f'OpLogicToEa<{args}, {slot.rx}>();')
    # AND and OR: the direction tells <ea>,Dn from Dn,<ea> in the same EA mode.
    if key.endswith('_EA_DN'):
        direction, template = 'EaDn', 'OpLogicToRegister'
    else:
        direction, template = 'DnEa', 'OpLogicToEa'
    return (f'M68kOp{mnemonic}_{direction}_{size}_{MODE_WORDS[mode]}_{slot.rx}', f'{template}<{args}, {slot.rx}>();')
