"""System control: TRAP, LINK, UNLK, MOVE USP, RESET, NOP, STOP, RTE, RTS, TRAPV, RTR."""

HEADER = 'core/ops/system.h'

_HANDLERS = {
    'TRAP': ('M68kOpTRAP', 'OpTrap();'),
    'LINK': ('M68kOpLINK', 'OpLink();'),
    'UNLK': ('M68kOpUNLK', 'OpUnlk();'),
    'MOVEtoUSP': ('M68kOpMOVEtoUSP', 'OpMoveToUsp();'),
    'MOVEfromUSP': ('M68kOpMOVEfromUSP', 'OpMoveFromUsp();'),
    'SYSCTL': ('M68kOpSystemControl', 'OpSystemControl();'),
}

KEYS = set(_HANDLERS)


def handler(key, slot):
    return _HANDLERS[key]
