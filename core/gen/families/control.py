"""LEA, PEA, JMP and JSR: the control-address instructions."""

from opmap import MODE_ENUM, MODE_WORDS

HEADER = 'core/ops/control.h'

KEYS = {'LEA', 'PEA', 'JMP', 'JSR'}


def handler(key, slot):
    mode, enum = MODE_WORDS[slot.mode], MODE_ENUM[slot.mode]
    if key == 'LEA':
        return f'M68kOpLEA_L_{mode}_A{slot.rx}', f'OpLea<{enum}, {slot.rx}>();'
    if key == 'PEA':
        return f'M68kOpPEA_L_{mode}', f'OpPea<{enum}>();'
    op = key.capitalize()
    return f'M68kOp{key}_{mode}', f'Op{op}<{enum}>();'
