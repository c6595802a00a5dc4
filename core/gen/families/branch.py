"""BRA, BSR and Bcc: per condition one handler for the slot of low bytes 0x00-0x07
(16-bit displacement when the byte is 0) and one for the 31 slots of 0x08-0xFF."""

from opmap import CONDITIONS

HEADER = 'core/ops/branch.h'

KEYS = {'BRANCH_W', 'BRANCH_B'}

_MNEMONICS = ['BRA', 'BSR'] + ['B' + cc for cc in CONDITIONS[2:]]


def handler(key, slot):
    form = 'W' if key == 'BRANCH_W' else 'B'
    name = f'M68kOp{_MNEMONICS[slot.cond]}_{form}'
    if slot.cond == 1:
        return name, f'OpBsr{form}();'
    return name, f'OpBranch{form}<{slot.cond}>();'
