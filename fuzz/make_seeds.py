#!/usr/bin/env python3
"""Writes the small seed corpora of the fuzz targets (fuzz/corpus/<target>/).

The seeds are committed; run this again only after changing an input layout
(see the comment at the top of each fuzz_*.cpp).
"""
import pathlib

HERE = pathlib.Path(__file__).resolve().parent


def pec(data):
    """CRC-8 of the chips: polynomial 0x07, initial value 0x41, MSB first."""
    p = 0x41
    for d in data:
        p ^= d
        for _ in range(8):
            p = ((p << 1) ^ 0x07) & 0xFF if p & 0x80 else (p << 1) & 0xFF
    return p


def reply(boards, spoil=(), lower=False):
    """"FFFF" for the two T tokens, then every board's bytes and PEC as hex text."""
    text = "FFFF"
    for b, data in enumerate(boards):
        p = pec(data) ^ (0x5A if b in spoil else 0)
        text += "".join("%02X" % d for d in data) + "%02X" % p
    return text.lower() if lower else text


def pack(codes):
    out = []
    for a, b in zip(codes[0::2], codes[1::2]):
        out += [a & 0xFF, ((b & 0x0F) << 4) | (a >> 8), b >> 4]
    return out


def config(b):
    return [0xE3, 0x02 if b == 1 else 0, 0x10 if b == 2 else 0, 0, 0xB5, 0xBE]


def cells(b, first, count):
    return pack([2900 + 37 * b + 11 * c for c in range(first, first + count)])


def temps(b, hot=False):
    return pack([1500 + b, 1520 + b]) + [0x40, 0x06 | (0x10 if hot else 0)]


# Replies in the order the session of fuzz_reads reads: the configuration at
# start-up, after the board count and at the start of the cycle, then passes of
# the cycle (cells, temperatures, flags) and reads the operator may add.
def read_replies(boards, hot=(), spoil=(), lower=False):
    kinds = [
        lambda b: config(b),
        lambda b: config(b),
        lambda b: config(b),
        lambda b: cells(b, 1, 12),
        lambda b: temps(b, b in hot),
        lambda b: [0x00, 0x41 if b % 2 else 0x00, 0x02],
        lambda b: [0xF4, 0x88],
        lambda b: cells(b, 1, 10),
        lambda b: cells(b, 5, 4),
        lambda b: cells(b, 9, 2),
    ]
    return "\n".join(reply([k(b) for b in range(boards)], spoil, lower) for k in kinds).encode("latin-1")


def reads_input(boards, choices, replies):
    """Board count, number of actions, the operator's choices, '|', the replies."""
    return bytes([boards - 1, len(choices) // 2]) + bytes(choices).replace(b"|", b"}") + b"|" + replies


# Operator choices: ticks, reads, a self test, diagnostics, a board focus.
CHOICES = [10, 2, 10, 2, 40, 7, 50, 2, 60, 0, 10, 1, 45, 3, 70, 9, 10, 2]

READS = {
    "one_board_valid": reads_input(1, CHOICES, read_replies(1)),
    "ten_boards_hot_and_spoiled": reads_input(10, CHOICES * 3, read_replies(10, hot=(3,), spoil=(7,))),
    "two_boards_lower_case": reads_input(2, CHOICES, read_replies(2, lower=True)),
    "four_boards_short": reads_input(4, CHOICES, read_replies(4)[:150] + b"\nFFFF4\x00G7zz\xff\x80"),
    "ten_boards_silent": reads_input(10, CHOICES, b""),
}


def scenario_line(text):
    return b"\x01" + text.encode() + b"\n"


def op_write(text):
    data = text.encode("latin-1")
    return bytes([3, len(data)]) + data


def op_read(n):
    return bytes([5, n // 2, n % 2])


def op_action(*choices):
    """One action of the tool's operator (see tests/support/Operator.h): the
    roll (below 35 ticks; otherwise roll % 16 picks the control), then its
    choices."""
    return bytes([7, *choices])


def button(index):
    return op_action(48, index)  # roll 48: case 0, a command button


def tool_session(boards):
    return (
        button(5)                       # WRITE CONFIG
        + button(6)                     # READ CONFIG
        + button(2) + button(7)         # STCVAD, RDCV
        + button(4) + button(9)         # STTMPAD, RDTMP
        + button(8)                     # RDFLG
        + op_action(51, 0) + op_action(51, 1)  # DAGN, RDDGNR
        + bytes([6, 20])                # 740 ms pass
        + op_action(0, 2)               # three ticks
    )


SIM = {
    "tool_session_three_boards": scenario_line("boards=3,seed=5") + tool_session(3),
    "faults_ten_boards": scenario_line(
        "boards=10,thsd=2,openwire=1:5,pec-errors=3:0.5,mux-fail=2,selftest-fault=0:7")
    + tool_session(10) + bytes([8, 4, 0, 3, 10]) + button(3) + button(7) + bytes([6, 255]) + button(6),
    "raw_tokens_one_board": b"\x00\x00" + bytes([0, 0]) + op_write("MSxT02TCERRRRRRRX") + op_read(18)
    + op_write("MSxS10S") + op_write("B0X") + op_write("MSxT04TDC" + "R" * 19 + "X") + op_read(42)
    + op_write("IZ") + op_read(50) + op_write("MI") + op_write("MSxT0CTE4RRRRX") + op_read(12) + bytes([1]),
    "tokens_and_open_poll": b"\x00\x03" + bytes([0, 0]) + bytes([4, 1, 4, 8, 4, 25]) + bytes([4, 1, 4, 7, 4, 16])
    + bytes([4, 30, 4, 3]) + op_read(20) + bytes([6, 100, 6, 100]) + button(1) + button(6),
    "unplugged_after_a_second": scenario_line("boards=2,unplug-after=1") + tool_session(2) + bytes([6, 40]) + button(7),
}

SCENARIO = {
    "example": b"boards=4,variant=3,seed=7,thsd=2,openwire=1:5,pec-errors=3:0.05,mux-fail=2,unplug-after=30",
    "every_fault_twice": b" boards = 10 ,thsd=2,thsd=9,openwire=0:12,openwire=9:1,selftest-fault=0:7,"
    b"selftest-fault=3:1,pec-errors=3:1,pec-errors=4:0.0,mux-fail=2,,",
    "variant_text": b"variant=QM7411-1,boards=1,seed=18446744073709551615",
    "refused": b"boards=11,openwire=1:13,pec-errors=3:1e-2,unknown=1,seed=-1,unplug-after=nan",
    "empty": b"",
}


def write(target, seeds):
    folder = HERE / "corpus" / target
    folder.mkdir(parents=True, exist_ok=True)
    for name, data in seeds.items():
        (folder / name).write_bytes(data)


if __name__ == "__main__":
    write("reads", READS)
    write("sim", SIM)
    write("scenario", SCENARIO)
