#!/usr/bin/env python3
"""Lays out the demo suite's components, one folder per archive of the media.

make_payload.py --out DIR --programs DIR --engine DIR [--verinfo DIR] --password CHAR

--programs holds the built stand-ins (KOLVAR.EXE, LUNARIS.EXE, VENTARI.EXE, TORNEVA.EXE,
HHUPD.EXE, TREGSVR.EXE, CFX32.OCX); --engine the engine's files (IDAPI32.DLL, IDAPI32.CFG,
bde.reg); --verinfo the release instructions (a folder named after the version inside).
Every file gets the same time stamp, so equal inputs give equal archives.
"""
import argparse
import os
import shutil
import struct
import time

STAMP = time.mktime((2026, 1, 1, 12, 0, 0, 0, 0, -1))


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def table(name, columns, rows):
    """A small table of the demo database: a header line, the columns, one line a record."""
    lines = ["KOLVAR TABLE " + name, ";".join(columns)] + [";".join(r) for r in rows]
    return ("\r\n".join(lines) + "\r\n").encode("cp1250")


def bitmap(width, height):
    """A 24-bit picture: the firm's logo, a blue band with a light diagonal."""
    row = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(height):
        line = bytearray()
        for x in range(width):
            on = abs((x - y * width // height)) < 4
            b, g, r = (230, 230, 250) if on else (140, 74 + y, 8 + x // 2)
            line += bytes((b, g & 255, r & 255))
        pixels += line + bytes(row - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + bytes(pixels)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--out", required=True)
    p.add_argument("--programs", required=True)
    p.add_argument("--engine", required=True)
    p.add_argument("--verinfo")
    p.add_argument("--password", required=True)
    a = p.parse_args()
    if len(a.password) != 1:
        p.error("the default password is one character")

    shutil.rmtree(a.out, ignore_errors=True)
    out = lambda *parts: os.path.join(a.out, *parts)
    copy = lambda src, *dst: (os.makedirs(os.path.dirname(out(*dst)), exist_ok=True),
                              shutil.copyfile(src, out(*dst)))
    prog = lambda name: os.path.join(a.programs, name)

    # EXE: the main program, its companion, the tools the configuration runs, the release
    # instructions, and an IDAPI folder that only a new installation unpacks.
    for name in ("KOLVAR.EXE", "VENTARI.EXE", "HHUPD.EXE", "TREGSVR.EXE", "CFX32.OCX"):
        copy(prog(name), "EXE", name)
    copy(os.path.join(a.engine, "IDAPI32.DLL"), "EXE", "IDAPI", "IDAPI32.DLL")
    write(out("EXE", "IDAPI", "CITESTE.TXT"),
          b"Copie a motorului de baze de date, folosita doar la instalarea noua.\r\n")
    if a.verinfo and os.path.isdir(a.verinfo):
        shutil.copytree(a.verinfo, out("EXE", "VerInfo"))
    copy(prog("LUNARIS.EXE"), "LUNARIS", "LUNARIS.EXE")
    copy(prog("TORNEVA.EXE"), "TORNEVA", "TORNEVA.EXE")
    write(out("HELP", "KOLVAR.HLP"),
          b"KOLVAR - ajutor\r\n\r\nContabilitate, gestiune, salarii.\r\n" * 40)

    # DBDAT: the sample database, with the default user.
    write(out("DBDAT", "DATA", "FIRME.DB"),
          table("FIRME", ["COD", "DENUMIRE", "CUI", "LOCALITATE"],
                [["1", "Exemplu SRL", "RO1234567", "Cluj-Napoca"],
                 ["2", "Demonstratie SA", "RO7654321", "Brasov"]]))
    write(out("DBDAT", "DATA", "OPERATOR.DB"),
          table("OPERATOR", ["NUME", "PAROLA", "DREPTURI"], [["Master", a.password, "TOTALE"]]))

    # DBNEW: the seed tree a new firm starts from; SIGLA.BMP is the firm's own picture.
    write(out("DBNEW", "NEW", "DATA", "FIRME.DB"),
          table("FIRME", ["COD", "DENUMIRE", "CUI", "LOCALITATE"], []))
    write(out("DBNEW", "NEW", "FIRMA", "PARAM.DB"),
          table("PARAM", ["CHEIE", "VALOARE"], [["AN", "2026"], ["LUNA", "1"]]))
    write(out("DBNEW", "NEW", "FIRMA", "SIGLA.BMP"), bitmap(64, 32))
    write(out("DBNEW", "NEW", "LUNA", "LUNA.DB"), table("LUNA", ["CONT", "SOLD"], []))

    # BDE32: the engine.
    for name in ("IDAPI32.DLL", "IDAPI32.CFG", "bde.reg"):
        copy(os.path.join(a.engine, name), "BDE32", name)

    for root, dirs, files in os.walk(a.out):
        for name in dirs + files:
            os.utime(os.path.join(root, name), (STAMP, STAMP))


if __name__ == "__main__":
    main()
