#!/usr/bin/env python3
"""Writes the profile files the lmprof tests run on, tests/lmprof/files/*.jxp.

office.jxp is the file the library's own export wrote in the StoredBytes test (taken from
tests/fixtures/golden/stored_win10.bin). The others are laid out here byte by byte, independently
of the tool, each holding what a file from the field may hold: several profiles, a file with no
profile, texts in the code pages, bytes behind the texts and in the reserved words that older
exporters left, and two damaged files. Their JSON (files/*.json) is what `lmprof show --json`
prints of them, written by the tool: run `make_files.py` and then

    for f in tests/lmprof/files/*.jxp; do (cd tests/lmprof/files && lmprof show --json "${f##*/}" > "${f%.jxp}.json"); done

(the damaged files excepted) after a deliberate change of the JSON format.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
OUT = os.path.join(HERE, "files")
REG_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ = 1, 3, 4, 7


def golden_file():
    data = open(os.path.join(ROOT, "tests/fixtures/golden/stored_win10.bin"), "rb").read()
    i = 0
    while i < len(data):
        z = data.index(b"\0", i)
        (n,) = struct.unpack_from("<I", data, z + 1)
        if data[i:z] == b"file":
            return data[z + 5 : z + 5 + n]
        i = z + 5 + n
    raise SystemExit("no exported file in the golden bytes")


def field(text, size, fill=b""):
    b = text + b"\0" + fill
    assert len(b) <= size
    return b + b"\0" * (size - len(b))


def header(model, count, language=9, driver=0x0210, mark=0, reserved=(0, 0, 0), model_fill=b""):
    return (b"JXP" + bytes([mark]) + struct.pack("<HHHHhH", reserved[0], reserved[1], driver, language, count,
                                                    reserved[2]) + field(model, 128, model_fill))


def value(name, typ, data, fill=b""):
    return field(name, 260, fill) + struct.pack("<II", typ, len(data)) + data


def profile(name, model, dwords=(), buffers=(), values=(), setup=None, description=b"", params=(0, 0),
            reserved=0, fills=(b"", b"", b"")):
    sections = [
        b"".join(struct.pack("<II", i, v & 0xFFFFFFFF) for i, v in dwords),
        b"".join(struct.pack("<II", i, len(d)) + d for i, d in buffers),
        b"".join(value(*v) for v in values),
        b"" if setup is None else value(b"_Setup", REG_BINARY, setup),
    ]
    entry = (field(name, 32, fills[0]) + struct.pack("<II", *params) + field(description, 512, fills[1]) +
             struct.pack("<I", reserved) + struct.pack("<4I", *map(len, sections)) + field(model, 128, fills[2]))
    return entry + b"".join(sections)


def form_name(text):
    return text.encode("utf-16-le") + b"\0\0"


def main():
    office = golden_file()
    laser = b"LM Fixture Laser 2100"
    draft = profile(b"Draft", laser, dwords=[(6, 2), (14, 1), (89, -5), (90, 7), (96, 0x80000001)],
                    buffers=[(19, form_name("A4")), (31, b"\x01\x02\x03\x04")],
                    values=[(b"Paper", REG_SZ, b"Letter\0"), (b"Trays", REG_MULTI_SZ, b"Upper\0Lower\0\0"),
                            (b"Count", REG_DWORD, b"\x05\0\0\0"), (b"Odd", 0x12345678, b"\xff")],
                    description=b"Quick drafts", params=(1, 2))
    files = {
        "office.jxp": office,
        "two_profiles.jxp": header(laser, 2) + office[144:] + draft,
        "no_profiles.jxp": header(b"LM Fixture Jet 900", 0, driver=0x0205),
        # What older exporters left behind the texts and in the words no reader looks at.
        "leftovers.jxp": header(laser, 1, mark=0x20, reserved=(0x1111, 0x2222, 0x3333), model_fill=b"\xcc\xcc") +
        profile(b"Old", laser, dwords=[(11, 2)], values=[(b"Tray", REG_DWORD, b"\x01\0\0\0", b"ray\0\xcd")],
                setup=b"", description=b"Kept from 2003", reserved=0xCDCDCDCD,
                fills=(b"\xcd" * 26, b"garbage", b"\xcd" * 10)),
        # German Windows (code page 1252): the euro sign, a byte 1252 leaves undefined (0x81).
        "western.jxp": header(b"Drucker K\xfcche", 1, language=0x07) +
        profile(b"B\xfcro \x80 5", b"Drucker K\xfcche", dwords=[(11, 1)],
                values=[(b"Sch\xe4chte", REG_BINARY, b"\x01"), (b"Z\x81", REG_SZ, b"\xe9t\xe9\0")],
                description=b"F\xfcr das B\xfcro \x96 Standard"),
        # Japanese Windows (932): Shift-JIS, a trail byte 0x5C ("\") among them.
        "japanese.jxp": header(b"LM Fixture Jet 900", 1, language=0x11, driver=0x0205) +
        profile(b"\x8e\x96\x96\xb1", b"LM Fixture Jet 900", dwords=[(7, 9)],
                values=[(b"\x95\x5c\x8e\xa6", REG_BINARY, b"\x02\x03")], description=b"\x83\x65\x83\x58\x83\x67"),
        "damaged_trailing.jxp": office + b"\x01\x02\x03",
        "damaged_record.jxp": header(laser, 1) + profile(b"Bad", laser, dwords=[(999, 1)]),
    }
    os.makedirs(OUT, exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
