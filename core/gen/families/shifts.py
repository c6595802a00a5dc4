"""Shifts and rotates: ASL, ASR, LSL, LSR, ROXL, ROXR, ROL, ROR of a data register (count
in the opcode or in a data register) and of a memory word."""

from opmap import MODE_ENUM, MODE_WORDS

HEADER = 'core/ops/shifts.h'

_KINDS = {'ASX': ('AS', 'ShiftKind::Arithmetic'), 'LSX': ('LS', 'ShiftKind::Logical'),
          'ROXX': ('ROX', 'ShiftKind::RotateExtend'), 'ROX': ('RO', 'ShiftKind::Rotate')}

KEYS = {f'{kind}_{form}' for kind in _KINDS for form in ('REG', 'MEM')}


def handler(key, slot):
    kind, form = key.rsplit('_', 1)
    stem, enum = _KINDS[kind]
    left = (slot.op >> 2) & 1  # opcode bit 8
    mnemonic = stem + ('L' if left else 'R')
    args = f'{enum}, {str(bool(left)).lower()}'
    if form == 'MEM':
        mode = slot.mode
        return (f'M68kOp{mnemonic}_W_{MODE_WORDS[mode]}', f'OpShiftMemory<{args}, {MODE_ENUM[mode]}>();')
    size = slot.size
    if slot.mode & 4:  # opcode bit 5: the count is in a data register
        return (f'M68kOp{mnemonic}_{size}_Reg_{slot.rx}',
                f'OpShiftByRegister<{args}, Size::{size}, {slot.rx}>();')
    count = slot.rx or 8
    return (f'M68kOp{mnemonic}_{size}_Imm_{count}', f'OpShiftImmediate<{args}, Size::{size}, {count}>();')
