"""Builds the benchmark databases with notesdb, once: bench/data/*.nsf.

export-200k.nsf   200,000 documents of 15 items (numbers, dates, texts of a few hundred
                  bytes, text lists, a rich-text body of several runs)
export-20k.nsf, export-2k.nsf   the first 20,000 and 2,000 of those documents
view-1m.nsf       1,000,000 documents with a number, and a view sorted on it;
                  view-1m.sqlite holds the same keys for SQLite's ORDER BY
attach-2k.nsf     2,000 documents with a 1 MB attachment each
"""

import json
import os
import random
import sqlite3
import subprocess
import sys
from pathlib import Path

DATA = Path(__file__).parent / "data"
VERSION = "4"  # change to rebuild everything
WORDS = ("alpha beta gamma delta epsilon zeta theta kappa lambda sigma omega report invoice "
         "customer order shipment budget forecast review meeting").split()


def notesdb():
    return os.path.join(os.path.dirname(sys.executable), "notesdb")


def text(rng, words):
    return " ".join(rng.choice(WORDS) for _ in range(words))


def export_note(i, rng):
    day = 1 + i % 28
    return {"items": [
        {"name": "Form", "type": "text", "value": ("Memo", "Order", "Task")[i % 3]},
        {"name": "Subject", "type": "text", "value": text(rng, 8)},
        {"name": "Body", "type": "text", "value": text(rng, 50)},
        {"name": "Author", "type": "text", "value": f"User {i % 97}"},
        {"name": "Tags", "type": "textlist", "value": [text(rng, 1), text(rng, 1), text(rng, 2)]},
        {"name": "Amount", "type": "number", "value": i * 1.25},
        {"name": "Quantity", "type": "number", "value": i % 50},
        {"name": "Price", "type": "number", "value": 9.99},
        {"name": "Created", "type": "time", "value": f"2025-{1 + i % 12:02d}-{day:02d}T10:00:00.00Z"},
        {"name": "Due", "type": "time", "value": f"2026-{1 + i % 12:02d}-{day:02d}"},
        {"name": "Category", "type": "text", "value": f"Category {i % 20}"},
        {"name": "Status", "type": "text", "value": ("open", "closed")[i % 2]},
        {"name": "Rich", "type": "richtext", "value": [
            {"text": text(rng, 10)}, {"sig": "0xFF8E", "text": text(rng, 5)}, {"sig": "0xFFB8"},
            {"sig": "0xFFCA", "text": text(rng, 12)}]},
        {"name": "Readers", "type": "textlist", "value": ["Admins", f"User {i % 97}"]},
        {"name": "Notes", "type": "text", "value": text(rng, 30)},
    ]}


def write_description(path, notes, views=()):
    with open(path, "w") as f:
        f.write('{"notes": [\n')
        for k, note in enumerate(notes):
            f.write((",\n" if k else "") + json.dumps(note))
        f.write('\n], "views": ' + json.dumps(list(views)) + "}\n")


def build(name, notes, views=()):
    desc = DATA / (name + ".json")
    write_description(desc, notes, views)
    subprocess.run([notesdb(), "build", str(desc), str(DATA / name)], check=True)
    desc.unlink()


def main():
    DATA.mkdir(exist_ok=True)
    stamp = DATA / "stamp"
    if stamp.exists() and stamp.read_text() == VERSION:
        return
    for count, name in ((200_000, "export-200k.nsf"), (20_000, "export-20k.nsf"), (2_000, "export-2k.nsf")):
        print(f"building {name}", flush=True)
        rng = random.Random(1)
        build(name, (export_note(i, rng) for i in range(count)))

    print("building view-1m.nsf", flush=True)
    rng = random.Random(2)
    keys = [rng.randrange(1_000_000_000) / 7 for _ in range(1_000_000)]
    build("view-1m.nsf", ({"items": [{"name": "Key", "type": "number", "value": k}]} for k in keys),
          [{"title": "By Key", "columns": [{"item": "Key", "sort": "ascending"}]}])
    sql = DATA / "view-1m.sqlite"
    sql.unlink(missing_ok=True)
    con = sqlite3.connect(sql)
    con.execute("CREATE TABLE docs(id INTEGER PRIMARY KEY, key REAL)")
    con.executemany("INSERT INTO docs VALUES (?, ?)", ((4 * (i + 1), k) for i, k in enumerate(keys)))
    con.execute("CREATE INDEX docs_key ON docs(key, id)")
    con.commit()
    con.close()

    print("building attach-2k.nsf", flush=True)
    blob = DATA / "attachment.bin"
    blob.write_bytes(random.Random(3).randbytes(1 << 20))
    build("attach-2k.nsf", ({"items": [{"name": "$FILE", "type": "attachment", "filename": f"f{i}.bin",
                                        "content_file": str(blob.resolve())}]} for i in range(2000)))
    stamp.write_text(VERSION)


if __name__ == "__main__":
    main()
