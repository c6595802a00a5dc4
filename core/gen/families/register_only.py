"""SWAP, EXT and EXG."""

HEADER = 'core/ops/register_only.h'

KEYS = {'SWAP', 'EXT', 'EXG_DD', 'EXG_AA', 'EXG_DA'}

# EXG: the name's mode word and first register letter, and the first register's index
# base in the register file.
_EXG = {'EXG_DD': ('Dn', 'D', 0), 'EXG_AA': ('An', 'A', 8), 'EXG_DA': ('An', 'D', 0)}


def handler(key, slot):
    if key == 'SWAP':
        return 'M68kOpSWAP_W_Dn', 'OpSwap();'
    if key == 'EXT':
        size = 'L' if slot.op & 1 else 'W'
        return f'M68kOpEXT_{size}_Dn', f'OpExt<Size::{size}>();'
    mode, letter, base = _EXG[key]
    return f'M68kOpEXG_L_{mode}_{letter}{slot.rx}', f'OpExg<{base + slot.rx}>();'
