"""Add and subtract: ADD, SUB, ADDA, SUBA, ADDX, SUBX (lines 0xD and 0x9), ADDQ, SUBQ
(line 0x5), ADDI, SUBI (line 0x0)."""

from opmap import MODE_ENUM, MODE_WORDS

HEADER = 'core/ops/addsub.h'

KEYS = {'ADD_EA_DN', 'ADD_DN_EA', 'ADDA', 'ADDX', 'SUB_EA_DN', 'SUB_DN_EA', 'SUBA', 'SUBX',
        'ADDI', 'SUBI', 'ADDQ', 'SUBQ'}

SIZE_LETTERS = 'BWL'


def handler(key, slot):
    mnemonic = key.split('_')[0]
    arith = 'Arith::Sub' if mnemonic.startswith('SUB') else 'Arith::Add'
    mode_word, mode = MODE_WORDS[slot.mode], MODE_ENUM[slot.mode]
    n = slot.rx
    if key.endswith('_EA_DN'):
        size = SIZE_LETTERS[slot.op]
        parts, call = [mode_word, f'D{n}'], f'OpAddSubToDn<{arith}, Size::{size}, {mode}, {n}>'
    elif key.endswith('_DN_EA'):
        size = SIZE_LETTERS[slot.op - 4]
        parts, call = [f'D{n}', mode_word], f'OpAddSubToEa<{arith}, Size::{size}, {mode}, {n}>'
    elif mnemonic in ('ADDA', 'SUBA'):
        size = 'W' if slot.op == 3 else 'L'
        parts, call = [mode_word, f'A{n}'], f'OpAddSubAddress<{arith}, Size::{size}, {mode}, {n}>'
    elif mnemonic in ('ADDX', 'SUBX'):
        size = SIZE_LETTERS[slot.op - 4]
        form, mode, reg = ('PreDec', 'kPreDec', f'A{n}') if slot.mode == 1 else ('Dn', 'kDn', f'D{n}')
        parts, call = [form, reg], f'OpAddSubExtend<{arith}, Size::{size}, {mode}, {n}>'
    elif mnemonic in ('ADDI', 'SUBI'):
        size = slot.size
        parts, call = [mode_word], f'OpAddSubImmediate<{arith}, Size::{size}, {mode}>'
    else:  # ADDQ, SUBQ
        size = SIZE_LETTERS[slot.op & 3]
        q = n or 8
        parts, call = [mode_word, str(q)], f'OpAddSubQuick<{arith}, Size::{size}, {mode}, {q}>'
    return f'M68kOp{mnemonic}_{size}_' + '_'.join(parts), f'{call}();'
