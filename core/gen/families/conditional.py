"""Scc and DBcc, sixteen conditions each."""

from opmap import CONDITIONS, MODE_ENUM, MODE_WORDS

HEADER = 'core/ops/conditional.h'

KEYS = {'SCC', 'DBCC'}


def handler(key, slot):
    cc = CONDITIONS[slot.cond]
    if key == 'DBCC':
        return f'M68kOpDB{cc}_W_Dn', f'OpDbcc<{slot.cond}>();'
    return f'M68kOpS{cc}_B_{MODE_WORDS[slot.mode]}', f'OpScc<{slot.cond}, {MODE_ENUM[slot.mode]}>();'
