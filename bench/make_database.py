#!/usr/bin/env python3
"""Writes a firm database of about 200 MB in 2,000 files for the database copy bench: 20 firms
(names with blanks and Romanian letters), each with its own tables and 24 month folders, sizes
spread from a few KB to several MB, some files read-only and some hidden. Usage:
make_database.py <folder> [megabytes] [files]. Made again only when the folder lacks its mark."""
import os
import random
import sys

FIRMS = ["Agro Ştefăneşti SRL", "Brutăria Ţuţuianu", "Construcţii Vâlcea SA", "Dacia Service",
         "Electrica Iaşi", "Farmacia Înger", "Gospodăria Mureş", "Hotel Bârsa", "Impex Tg Jiu",
         "Juridic Cluj", "Kafe Ploieşti", "Lactate Brăila", "Mobila Suceava", "Nord Transport",
         "Optica Sibiu", "Panificaţie Arad", "Radiator Bacău", "Sere Buzău", "Textile Piteşti",
         "Unirea Craiova"]
TABLES = ["FIRME.DB", "OPERATOR.DB", "PARTENERI.DB", "PLAN CONTURI.DB"]
MONTH_TABLES = ["JURNAL.DB", "JURNAL.PX", "NOTE CONTABILE.DB", "BALANŢA.DB"]


def main():
    folder = sys.argv[1]
    megabytes = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 2000
    mark = os.path.normpath(folder) + f".made-{megabytes}-{count}"
    if os.path.exists(mark):
        return
    if os.path.exists(folder):
        os.system(f"chmod -R u+w '{folder}' && rm -rf '{folder}'")
    paths = []
    months = [f"{2025 + m // 12}-{m % 12 + 1:02}" for m in range(24)]
    i = 0
    while len(paths) < count:
        firm = FIRMS[i % len(FIRMS)] + ("" if i < len(FIRMS) else f" {i // len(FIRMS)}")
        paths += [os.path.join(folder, firm, t) for t in TABLES]
        paths += [os.path.join(folder, firm, m, t) for m in months for t in MONTH_TABLES]
        i += 1
    paths = paths[:count]
    rng = random.Random(28)
    weights = [rng.lognormvariate(0, 1.2) for _ in paths]
    scale = megabytes * 1048576 / sum(weights)
    block = os.urandom(1 << 20)
    for n, (path, weight) in enumerate(zip(paths, weights)):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        size = max(1, int(weight * scale))
        with open(path, "wb") as out:
            while size > 0:
                piece = block[(n * 4099) % 4096:][:size]
                out.write(piece)
                size -= len(piece)
        if n % 37 == 0:
            # Hidden, as Wine keeps the attribute.
            try:
                os.setxattr(path, "user.DOSATTRIB", b"0x2")
            except OSError:
                pass
        if n % 23 == 0:
            os.chmod(path, 0o444)
    open(mark, "w").close()


if __name__ == "__main__":
    main()
