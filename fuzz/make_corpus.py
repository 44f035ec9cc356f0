#!/usr/bin/env python3
"""Writes the fuzzers' seed corpus: fuzz/corpus/<target>/<name>.

Each input follows the byte layout its target's source describes. The
access seeds ask every key of the image (read from the committed image dump)
in its own database with the database's usual request shape, plus the list
services, print mode and printer-data keys with settings and printers; the
image seeds hold one small image per node kind and table; the printer-data
seeds cover the file's grammar. Run it again after changing a layout and
commit the result."""
import os
import re
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def setting(v):
    """The Reader's setting encoding."""
    if 0 <= v < 0xF0:
        return bytes([v])
    if v == -1:
        return b"\xF0"
    if -0x8000 <= v < 0x8000:
        return b"\xF1" + struct.pack("<h", v)
    return b"\xF2" + struct.pack("<i", v)


# --- fuzz_access -----------------------------------------------------------
INTS = [1, 106, 14, 1, 4, 17]
STRINGS = [1, 0, 5, 0, 0, 9]
FIRST = [0x0001, 0x1001, 0x2001, 0x3001, 0x4001, 0x6001]
BUFFER_EXACT, BUFFER_ABSENT, BUFFER_ZERO, BUFFER_SHORT, BUFFER_LARGE = 2, 0, 1, 3, 4


def access(fn, key, ints=None, strings=None, flags=0, printer=0, buffer=BUFFER_EXACT, arbitrary=0, high=0):
    ints = [0] * INTS[fn] if ints is None else ints
    strings = [b""] * STRINGS[fn] if strings is None else strings
    out = bytes([fn]) + struct.pack("<H", key) + bytes([high, flags, printer])
    out += struct.pack("<H", len(ints)) + b"".join(setting(v) for v in ints)
    out += bytes([len(strings)])
    for s in strings:
        if s is None:
            out += b"\x00"
        else:
            out += bytes([48 + len(s)]) + s  # mode % 48 is the length
    return out + bytes([buffer]) + struct.pack("<H", arbitrary)


def database_of(key):
    for fn in reversed(range(6)):
        if key >= FIRST[fn] and key < FIRST[fn] + 0x0FFF:
            return fn
    return None


def settings(pairs, count=106):
    v = [0] * count
    for slot, value in pairs:
        v[slot] = value
    return v


def access_corpus():
    dump = open(os.path.join(ROOT, "tests", "golden", "image_dump.txt")).read()
    keys = [int(k, 16) for k in re.findall(r"^key 0x([0-9A-F]{4})", dump, re.M)]
    for key in keys:
        fn = database_of(key)
        if fn is None:
            fn = 1  # internal keys: the driver function refuses them
        write("fuzz_access", "key_%04x" % key, access(fn, key, printer=2))
    # The list services and print mode with settings that reach answers.
    page = [(4, 4), (5, 1), (8, 2), (6, 1), (28, 256), (7, 7), (96, 14800), (97, 21000)]
    for key in range(4108, 4127):
        write("fuzz_access", "list_%d" % key, access(1, key, settings([(28, 9)] + page), printer=2))
    write("fuzz_access", "print_mode_first_row", access(1, 4126, settings([(4, 4), (9, 0), (5, 1), (8, 2), (6, 1)])))
    write("fuzz_access", "print_mode_short_request", access(1, 4126, [4, 0, 1], buffer=BUFFER_LARGE, arbitrary=9))
    write("fuzz_access", "quality_list", access(1, 4118, settings([(4, 6), (9, 1), (5, 275)])))
    for key in (4173, 4174, 4177, 4180, 4186):
        write("fuzz_access", "list_%d" % key, access(1, key, printer=1))
    # Buffers of every kind on a plain key and a list key.
    for name, choice in (("absent", BUFFER_ABSENT), ("zero", BUFFER_ZERO), ("short", BUFFER_SHORT),
                         ("large", BUFFER_LARGE), ("arbitrary", 5)):
        write("fuzz_access", "buffer_%s_root3" % name, access(0, 3, buffer=choice, arbitrary=3))
        write("fuzz_access", "buffer_%s_4121" % name, access(1, 4121, settings(page), buffer=choice, arbitrary=300))
    # Requests at the edges.
    write("fuzz_access", "no_request", access(0, 3, flags=0x01))
    write("fuzz_access", "key_zero", access(0, 0))
    write("fuzz_access", "key_high_half", access(0, 5, high=0x01))
    write("fuzz_access", "key_internal", access(1, 0x5008))
    write("fuzz_access", "key_out_of_range", access(2, 0x7000))
    write("fuzz_access", "ints_absent_with_count", access(1, 4121, [1], flags=0x02 | 0x08))
    write("fuzz_access", "strings_absent_with_count", access(5, 0x6001, strings=[], flags=0x10))
    write("fuzz_access", "string_slots_absent", access(5, 0x6005, strings=[None] * 9))
    write("fuzz_access", "string_with_inner_zero", access(2, 0x2001, strings=[b"ab\x00cd"] * 5))
    write("fuzz_access", "many_ints", access(1, 4121, settings(page, 300)))
    write("fuzz_access", "many_strings", access(5, 0x6001, strings=[b"x" * 20] * 12))
    for printer, what in ((1, "shared_handle"), (3, "other_printer"), (4, "broken_printer"), (5, "missing_printer"),
                          (0x82, "handle_and_name")):
        write("fuzz_access", "printer_%s_4125" % what, access(1, 4125, printer=printer))
        write("fuzz_access", "printer_%s_sm" % what, access(5, 0x6001, printer=printer))
    write("fuzz_access", "no_printer_value_select", access(1, 4125, printer=0))


# --- fuzz_image ------------------------------------------------------------
K = {n: i for i, n in enumerate(
    ["NONE", "BYTES", "INT32", "INT8", "INT16", "UINT8", "UINT16", "WIDE", "SEQUENCE", "GUARDED_SEQUENCE",
     "GUARD", "SELECT_PARAM", "SELECT_STRING", "SELECT_PRINTER_DATA", "SELECT_LOCALE", "CASE", "STRING_CASE",
     "DEFAULT", "COMPUTED", "SELECT_MASKED", "MASK", "RANGE_CASE"])}


def node(kind, operand, word1):
    return bytes([K[kind]]) + struct.pack("<HI", operand, word1 & 0xFFFFFFFF)


def w1(field, count):
    return (field << 16) | count


class Image:
    def __init__(self):
        self.nodes, self.keys, self.ints, self.shorts, self.bytes, self.strings = [], [], [], [], b"", b""
        self.present = 0
        self.lists = 0
        self.groups = []  # (key, count, start)
        self.entries = []
        self.item_lists = []  # (id, count, start)
        self.items = []  # (id, value)
        self.rows = []  # (match6, section4)
        self.section_counts = [0, 0, 0, 0]

    def add(self, *nodes):
        first = len(self.nodes)
        self.nodes.extend(nodes)
        return first

    def encode(self):
        out = bytes([self.present, self.lists])
        out += bytes([len(self.nodes)]) + b"".join(self.nodes)
        out += bytes([len(self.keys)]) + b"".join(struct.pack("<H", k) for k, _ in self.keys)
        out += b"".join(bytes([n]) for _, n in self.keys)
        out += bytes([len(self.ints)]) + b"".join(setting(v) for v in self.ints)
        out += bytes([len(self.shorts)]) + b"".join(struct.pack("<H", v) for v in self.shorts)
        out += bytes([len(self.bytes)]) + self.bytes
        out += bytes([len(self.strings)]) + self.strings
        out += bytes([len(self.groups)]) + b"".join(bytes([k - 4120]) for k, _, _ in self.groups)
        out += b"".join(bytes([c]) for _, c, _ in self.groups) + b"".join(setting(s) for _, _, s in self.groups)
        out += bytes([len(self.entries)]) + bytes(self.entries)
        out += bytes([len(self.item_lists)]) + b"".join(bytes([i]) for i, _, _ in self.item_lists)
        out += b"".join(bytes([c]) for _, c, _ in self.item_lists)
        out += b"".join(setting(s) for _, _, s in self.item_lists)
        out += bytes([len(self.items)]) + b"".join(struct.pack("<H", i) for i, _ in self.items)
        out += b"".join(setting(v) for _, v in self.items)
        out += bytes([len(self.rows)])
        for match, sections in self.rows:
            out += b"".join(setting(m) for m in match) + bytes(sections)
        return out + bytes(self.section_counts)


def query(what, key, ints=(), count_kind=1, strings=(), printer=False, first_size=None, extra=b""):
    interesting = False
    sel = what
    if first_size is not None:
        sel |= 0x40
    out = bytes([sel]) + struct.pack("<H", key)
    if first_size is not None:
        out += bytes([first_size])
    shape = count_kind | (len(strings) << 3) | (0x20 if printer else 0) | (0x04 if count_kind == 2 else 0)
    out += bytes([shape])
    if count_kind == 1:
        out += bytes([len(ints)])
        n = len(ints)
    elif count_kind == 2:
        n = 80 + (len(ints) - 80 if len(ints) > 80 else 26)
        out += bytes([n - 80])
    else:
        n = 0
    full = list(ints) + [0] * (n - len(ints))
    out += b"".join(setting(v) for v in full[:12])
    if count_kind == 2:
        out += b"".join(setting(v) for v in full[12:])
    for s in strings:
        out += bytes([len(s)]) + s
    return out + extra


ACCESS, DISPATCH, LOOKUP, WALK, FETCH, ITEMS = range(6)


def image_corpus():
    # Every leaf kind behind its own key.
    im = Image()
    im.bytes = b"ABCDEFGH\x00"
    im.ints = [7, -8, 9]
    im.shorts = [0x8001, 2, 3]
    kinds = ["BYTES", "INT32", "INT8", "INT16", "UINT8", "UINT16", "WIDE"]
    for i, kind in enumerate(kinds):
        im.add(node(kind, 0, w1(i + 1, 3)))
        im.keys.append((i + 1, i))
    qs = b"".join(query(ACCESS, i + 1) for i in range(len(kinds))) + query(FETCH, 1, extra=struct.pack("<II", 0x01000005, 0x00010004))
    write("fuzz_image", "leaf_kinds", im.encode() + qs)
    # Every table absent, one at a time.
    for bit in range(7):
        im.present = 1 << bit
        write("fuzz_image", "absent_table_%d" % bit, im.encode() + qs)
    im.present = 0
    # A leaf past its pool.
    bad = Image()
    bad.bytes = b"AB"
    bad.add(node("BYTES", 1, w1(1, 200)), node("INT32", 250, w1(2, 4)), node("WIDE", 0, w1(3, 9)))
    bad.keys = [(1, 0), (2, 1), (3, 2), (4, 200)]
    write("fuzz_image", "leaf_past_pool", bad.encode() + b"".join(query(ACCESS, k) for k in (1, 2, 3, 4)))
    # Parameter select with cases, a range case and a default.
    im = Image()
    im.ints = [1, 2, 10, 20, 5]
    im.add(node("SELECT_PARAM", 1, w1(0, 3)),
           node("CASE", 4, 3), node("RANGE_CASE", 5, 2), node("DEFAULT", 6, 0),
           node("INT32", 0, w1(1, 1)), node("INT32", 1, w1(1, 1)), node("INT32", 4, w1(1, 1)))
    im.keys = [(1, 0)]
    write("fuzz_image", "select_param", im.encode() + b"".join(query(ACCESS, 1, [v]) for v in (3, 15, 99)) + query(ACCESS, 1, []))
    # Masked select.
    im = Image()
    im.ints = [4]
    im.add(node("SELECT_MASKED", 1, w1(0, 2)), node("MASK", 2, 0x0F), node("CASE", 4, 3), node("DEFAULT", 4, 0),
           node("INT32", 0, w1(1, 1)))
    im.keys = [(1, 0)]
    write("fuzz_image", "select_masked", im.encode() + query(ACCESS, 1, [0x13]) + query(ACCESS, 1, [0x14]))
    # Guarded sequence with guards and a plain child.
    im = Image()
    im.ints = [1, 2]
    im.add(node("GUARDED_SEQUENCE", 1, w1(0, 3)), node("GUARD", 4, w1(5, 1)), node("GUARD", 5, w1(6, 1)),
           node("INT32", 1, w1(1, 1)), node("INT32", 0, w1(1, 1)), node("INT32", 1, w1(2, 1)))
    im.keys = [(1, 0), (2, 0)]
    write("fuzz_image", "guarded_sequence", im.encode() + query(ACCESS, 1, [5]) + query(ACCESS, 1, [6]) + query(ACCESS, 1, []) + query(ACCESS, 2, [6]))
    # String select with string cases.
    im = Image()
    im.strings = b"A4LetterLegal"
    im.ints = [1, 2]
    im.add(node("SELECT_STRING", 1, w1(0, 3)), node("STRING_CASE", 5, 4), node("STRING_CASE", 6, 7), node("DEFAULT", 5, 0),
           node("BYTES", 0, w1(0, 2)), node("INT32", 0, w1(1, 1)), node("INT32", 1, w1(1, 1)), node("BYTES", 2, w1(0, 6)))
    im.keys = [(1, 0)]
    write("fuzz_image", "select_string", im.encode() + b"".join(query(ACCESS, 1, strings=(s,)) for s in (b"A4", b"Letter", b"A", b"")) + query(ACCESS, 1))
    # Printer-data select: key 8 names the value.
    im = Image()
    im.bytes = b"A\x00B\x00"
    im.ints = [1, 2]
    im.add(node("SELECT_PRINTER_DATA", 1, w1(0, 2)), node("CASE", 4, 2), node("DEFAULT", 5, 0),
           node("SELECT_PARAM", 6, w1(0, 2)),
           node("INT32", 0, w1(1, 1)), node("INT32", 1, w1(1, 1)),
           node("CASE", 8, 0), node("CASE", 9, 1), node("WIDE", 0, w1(8, 2)), node("WIDE", 2, w1(8, 2)))
    im.keys = [(1, 0), (8, 3)]
    pd = im.encode() + query(ACCESS, 1, printer=True) + query(ACCESS, 1) + query(ACCESS, 8, [1])
    write("fuzz_image", "select_printer_data", pd)
    im.nodes[0] = node("SELECT_PRINTER_DATA", 1, w1(1, 2))
    write("fuzz_image", "select_printer_data_long_value", im.encode() + query(ACCESS, 1, printer=True))
    # Locale select, with the right and a wrong source.
    im = Image()
    im.ints = [1]
    im.add(node("SELECT_LOCALE", 2, w1(0x500F, 1)), node("SELECT_LOCALE", 2, w1(0x5010, 1)), node("DEFAULT", 3, 0),
           node("INT32", 0, w1(1, 1)))
    im.keys = [(1, 0), (2, 1)]
    write("fuzz_image", "select_locale", im.encode() + query(ACCESS, 1) + query(ACCESS, 2))
    # Computed leaves, ids 0 to 8.
    im = Image()
    for i in range(9):
        im.add(node("COMPUTED", 0, w1(0x1001 + i, i)))
        im.keys.append((0x1001 + i, i))
    write("fuzz_image", "computed", im.encode() + b"".join(query(ACCESS, 0x1001 + i, [0] * 100 + [14800, 21000], 2) for i in range(8)))
    # A cycle: the depth bound.
    im = Image()
    im.add(node("SEQUENCE", 0, w1(0, 1)), node("SELECT_PARAM", 2, w1(0, 1)), node("DEFAULT", 1, 0))
    im.keys = [(1, 0), (2, 1)]
    write("fuzz_image", "cycle", im.encode() + query(ACCESS, 1) + query(ACCESS, 2, [0]))
    # Sequences that share their children: few nodes, very many paths.
    im = Image()
    for i in range(60):
        im.add(node("SEQUENCE", i + 1, w1(0, 2)))
    im.add(node("INT32", 0, w1(2, 1)), node("INT32", 0, w1(2, 1)))
    im.ints = [1]
    im.keys = [(1, 0)]
    write("fuzz_image", "shared_sequences", im.encode() + query(ACCESS, 1))
    # Grouped lists: entries whose trees hold fragments for 0x5008.
    im = Image()
    im.bytes = b"\x1b@\x1b(p"
    im.add(node("BYTES", 0, w1(0x5008, 2)), node("BYTES", 2, w1(0x5008, 3)), node("SELECT_PARAM", 3, w1(4, 2)),
           node("CASE", 1, 1), node("DEFAULT", 0, 0), node("COMPUTED", 0, w1(0x5008, 2)))
    im.groups = [(4120, 2, 0), (4121, 3, 1), (4123, 1, 3), (4125, 2, 200)]
    im.entries = [0, 1, 2, 0, 5]
    write("fuzz_image", "grouped_lists",
          im.encode() + b"".join(query(DISPATCH, k, [0, 0, 0, 0, 1], 2) for k in (4120, 4121, 4123, 4125, 4124))
          + query(DISPATCH, 4121, [], 0, first_size=3))
    im.lists = 0x03
    write("fuzz_image", "grouped_lists_absent", im.encode() + query(DISPATCH, 4121, [0] * 106, 2))
    # Item lists: leaf ids, table lists, per-item keys.
    im = Image()
    im.ints = [1, 2, 3, 10, 20]
    im.add(node("INT32", 0, w1(4108, 3)), node("INT32", 3, w1(0x500B, 1)), node("INT32", 0, w1(4118, 2)),
           node("INT32", 0, w1(0x5006, 1)), node("INT32", 0, w1(4112, 3)), node("INT32", 0, w1(0x5007, 2)))
    im.keys = [(4108, 0), (0x500B, 1), (4118, 2), (0x5006, 3), (4112, 4), (0x5007, 5), (4113, 4)]
    im.item_lists = [(4, 3, 0), (5, 2, 1), (7, 4, 250)]
    im.items = [(1, 10), (2, 20), (3, 30)]
    write("fuzz_image", "item_lists",
          im.encode() + b"".join(query(DISPATCH, k, [0, 1, 2, 3, 4, 5, 6, 7, 8, 9], 2)
                                 for k in (4108, 4109, 4111, 4115, 4118, 4112, 4113))
          + query(ITEMS, 4108, [], 2, extra=bytes([3, 1, 2, 3])))
    im.lists = 0x0C
    write("fuzz_image", "item_lists_absent", im.encode() + query(DISPATCH, 4109, [0] * 106, 2))
    # Print mode: rows and section tables, an index past its table.
    im = Image()
    im.rows = [([4, 0, 1, 2, 1, 0], [0, 0, 0, 0]), ([1, 1, 1, 1, 1, 1], [3, 0, 0, 0])]
    im.section_counts = [1, 1, 2, 1]
    q = query(DISPATCH, 4126, [0, 0, 0, 0, 4, 1, 1, 0, 2, 0], 2) + query(DISPATCH, 4126, [1] * 12, 2)
    write("fuzz_image", "print_mode", im.encode() + q + query(DISPATCH, 4126, [0, 1], 1))
    im.lists = 0x10
    write("fuzz_image", "print_mode_absent_rows", im.encode() + q)
    im.lists = 0x80
    write("fuzz_image", "print_mode_absent_section", im.encode() + q)
    # Raw walks and fetches of arbitrary words.
    im = Image()
    im.ints = [5]
    im.add(node("INT32", 0, w1(1, 1)))
    im.keys = [(1, 0)]
    raw = b"".join(query(WALK, 1, extra=struct.pack("<II", w0, wd1))
                   for w0, wd1 in ((0x08000000, 0x00000001), (0x16000000, 0), (0x0B000000, 0x00050001), (0x02000000, 0x00010001)))
    raw += b"".join(query(FETCH, 1, extra=struct.pack("<II", w0, wd1))
                    for w0, wd1 in ((0x02000000, 0x00010001), (0x07000000, 0x00080002), (0x12000000, 0x00000004), (0x09000000, 0)))
    write("fuzz_image", "raw_walks_and_fetches", im.encode() + raw)
    # Keys whose index points outside the nodes, and an empty image.
    im = Image()
    im.keys = [(1, 9)]
    write("fuzz_image", "index_past_nodes", im.encode() + query(ACCESS, 1) + query(LOOKUP, 0x5008))
    write("fuzz_image", "empty", b"")


# --- fuzz_printer_data -----------------------------------------------------
def units(text):
    data = text.encode("utf-16-le", "surrogatepass")
    return bytes([len(data) // 2]) + data


def pdata(name, text, asked=()):
    return units(name) + bytes([len(asked)]) + b"".join(units(a) for a in asked) + text


def printer_data_corpus():
    P = "M4K7"
    cases = {
        "plain": (P, b"[M4K7]\nA = dword:7\nB = hex:01,02\n", ["A", "B", "C"]),
        "empty": (P, b"", []),
        "comments": (P, b"; x\n# y\n\n[M4K7]\n; z\nA=dword:1\n", ["A"]),
        "crlf_bom": (P, b"\xef\xbb\xbf[M4K7]\r\nA = dword:0x10\r\n", ["A"]),
        "hex_lengths": (P, b"[M4K7]\n" + b"".join(b"V%d = hex:%s\n" % (n, b",".join(b"%02x" % i for i in range(n))) for n in range(17)),
                        ["V%d" % n for n in range(0, 17, 3)]),
        "dword_forms": (P, b"[M4K7]\nA = dword:0\nB = dword:4294967295\nC = dword:0XaB\nD = dword:007\n", ["A", "B", "C", "D"]),
        "malformed_inside": (P, b"[M4K7]\nA = dword:-1\n", []),
        "malformed_before": (P, b"junk\n[M4K7]\nA = dword:1\n", ["A"]),
        "duplicate_section": (P, b"[M4K7]\nA = dword:1\n[M4K7]\nB = dword:2\n", []),
        "duplicate_value": (P, b"[M4K7]\nA = dword:1\nA = hex:01\n", []),
        "other_printers": (P, b"[X]\nbad\n[M4K7]\nA = dword:1\n[Y]\nA = dword:2\n", ["A"]),
        "nul_byte": (P, b"[M4K7]\nA = dword:1\x00\n", []),
        "utf8_names": ("Drucker B\u00fcro \U0001F5A8", "[Drucker B\u00fcro \U0001F5A8]\nGr\u00f6\u00dfe = dword:5\n\U0001F600 = dword:6\n".encode(),
                       ["Gr\u00f6\u00dfe", "\U0001F600"]),
        "unpaired_surrogates": ("\ud83d", b"[\xed\xa0\xbd]\nA = dword:1\n[\xef\xbf\xbd]\n", ["\ude00", "a\ud83dx"]),
        "binary_garbage": (P, bytes(range(256)) * 2, []),
        "long_line": (P, b"[M4K7]\nA = hex:" + b"00," * 600 + b"00\n", ["A"]),
        "inner_blanks": (" M4K7 ", b"[ M4K7 ]\n  A\t=\tdword: 3 \n", ["A"]),
        "value_before_section": (P, b"A = dword:1\n[M4K7]\n", ["A"]),
        "unterminated_section": (P, b"[M4K7\nA = dword:1\n", []),
        "empty_names": (P, b"[]\n[M4K7]\n = dword:1\n", []),
    }
    for name, (printer, text, asked) in cases.items():
        write("fuzz_printer_data", name, pdata(printer, text, asked))


def main():
    access_corpus()
    image_corpus()
    printer_data_corpus()
    return 0


if __name__ == "__main__":
    sys.exit(main())
