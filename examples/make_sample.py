"""Writes the description of the demo database: a small sales team's documents.

Usage: python make_sample.py OUTDIR   (writes OUTDIR/sample.json and its attachments)

Deterministic: the same description every time. The PDF and the PNG are made
here, so the demo needs no files from elsewhere.
"""

import json
import random
import struct
import sys
import zlib
from pathlib import Path

FORMS = ["Memo", "Order", "Contact", "Task"]
AUTHORS = ["Ada Byron", "Grace Hopper", "Ken Thompson", "Barbara Liskov", "Edsger Dijkstra"]
CATEGORIES = ["Accounts", "Hardware", "Support", "Travel", "Marketing"]
WORDS = ("quarterly report invoice meeting budget server upgrade customer review plan "
         "shipment delay forecast contract renewal team offsite agenda follow-up").split()


def small_pdf(title: str) -> bytes:
    """A one-page PDF that shows `title`."""
    stream = f"BT /F1 24 Tf 72 720 Td ({title}) Tj ET".encode()
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R "
        b"/Resources << /Font << /F1 5 0 R >> >> >>",
        b"<< /Length %d >>\nstream\n" % len(stream) + stream + b"\nendstream",
        b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    ]
    out = bytearray(b"%PDF-1.4\n")
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    return bytes(out)


def small_png(width: int = 64, height: int = 48) -> bytes:
    """A gradient, as an RGB PNG."""
    rows = b"".join(
        b"\0" + bytes(v for x in range(width) for v in (x * 4 % 256, y * 5 % 256, 160))
        for y in range(height)
    )

    def chunk(kind: bytes, data: bytes) -> bytes:
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")


def main(outdir: Path) -> None:
    rng = random.Random(7)
    outdir.mkdir(parents=True, exist_ok=True)
    (outdir / "report.pdf").write_bytes(small_pdf("Quarterly report"))
    (outdir / "chart.png").write_bytes(small_png())
    notes = []
    for i in range(300):
        form = FORMS[i % len(FORMS)]
        subject = " ".join(rng.choice(WORDS) for _ in range(rng.randint(2, 5))).capitalize()
        day = 1 + i % 28
        items = [
            {"name": "Form", "type": "text", "value": form},
            {"name": "Subject", "type": "text", "value": subject},
            {"name": "From", "type": "text", "value": rng.choice(AUTHORS)},
            {"name": "Categories", "type": "textlist",
             "value": sorted(set(rng.sample(CATEGORIES, rng.randint(1, 2))))},
            {"name": "Amount", "type": "number", "value": round(rng.uniform(10, 5000), 2)},
            {"name": "PostedDate", "type": "time",
             "value": f"2026-{1 + i % 12:02d}-{day:02d}T{9 + i % 8:02d}:{i % 60:02d}:00.00Z"},
            {"name": "Body", "type": "richtext", "value": [
                {"text": f"{subject}."},
                {"sig": "0xFF8E", "text": f"Prepared by the {form.lower()} desk."},
                {"text": " ".join(rng.choice(WORDS) for _ in range(12))},
            ]},
        ]
        if i % 25 == 0:
            items.append({"name": "$FILE", "type": "attachment", "filename": "report.pdf",
                          "content_file": "report.pdf"})
        if i % 40 == 3:
            items.append({"name": "$FILE", "type": "attachment", "filename": "chart.png",
                          "host": 0x0700, "content_file": "chart.png"})
        notes.append({"modified": f"2026-{1 + i % 12:02d}-{day:02d}T18:00:00.00Z", "items": items})
    description = {
        "title": "Sales (demo)",
        "notes": notes,
        "views": [
            {"title": "By Category", "aliases": ["ByCat"], "selection": "SELECT @All",
             "columns": [{"item": "Categories", "categorized": True},
                         {"item": "Subject", "sort": "ascending"}]},
            {"title": "Orders by Amount", "selection": 'SELECT Form = "Order"',
             "columns": [{"item": "Amount", "sort": "descending"}]},
        ],
    }
    (outdir / "sample.json").write_text(json.dumps(description, indent=1))


if __name__ == "__main__":
    main(Path(sys.argv[1] if len(sys.argv) > 1 else "build/sample"))
