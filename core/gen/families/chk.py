"""CHK <ea>,Dn."""

from opmap import MODE_ENUM, MODE_WORDS

HEADER = 'core/ops/chk.h'

KEYS = {'CHK'}


def handler(key, slot):
    name = f'M68kOpCHK_W_{MODE_WORDS[slot.mode]}_D{slot.rx}'
    return name, f'OpChk<{MODE_ENUM[slot.mode]}, {slot.rx}>();'
