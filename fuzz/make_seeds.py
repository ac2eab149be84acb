"""Writes the checked-in seed corpora of the fuzz targets (run once; kept in corpus/)."""

import json
import os
import struct


def write(target, name, data):
    folder = os.path.join(os.path.dirname(__file__), "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode())


FORMULAS = [
    'SELECT @All', 'Form = "Memo" & @Contains(Subject; "x")', 'Tags = "a" : "b"',
    '@If(Amount > 10; @True; @False)', '!(Amount * 2 - 1 >= 3) | Counts <> 2',
    '@Adjust(Due; 0; 1; 0; 0; 0; 0) > @Now', '@Date(2026; 1; 2) = @Date(Due)',
    '@IsMember("a"; Tags) & @IsAvailable(Form)', '@Trim(@LowerCase(Subject)) = {quarterly report}',
    '@TextToNumber(@Text(Amount)) / 0', '@ViewTitle = "x" | @NoteID = "NT00000004"',
    '@Elements(Days) + @Elements(Missing)', '((((1))))', 'SELECT Form = "Memo',
]
TIMES = ["2026-03-04T05:06:07.08Z", "2026-03-04 05:06", "2026-03-04", "2026-03-04T05:06:07+02:00",
         "9999-12-31T23:59:59.99Z"]
DESCRIPTIONS = [
    {"notes": [{"items": [{"name": "a", "type": "text", "value": "x"}]}]},
    {"title": "t", "notes": [{"id": 8, "unid": "0" * 32, "modified": "2026-01-01", "deleted": True}]},
    {"notes": [{"items": [
        {"name": "r", "type": "richtext", "value": [{"text": "a"}, {"sig": "0xFF8E", "text": ""},
                                                   {"sig": "0x0040"}, {"hex": "0102"}]},
        {"name": "$FILE", "type": "attachment", "filename": "f", "content_hex": "00"},
        {"name": "l", "type": "textlist", "value": ["a"]},
        {"name": "n", "type": "numberlist", "value": [1]},
        {"name": "d", "type": "timelist", "value": ["2026-01-01"]},
        {"name": "x", "type": 7, "hex": "00"}]}],
     "views": [{"title": "V", "aliases": ["v"], "columns": [{"item": "a", "categorized": True}]}]},
]


def record(sig, body):
    return struct.pack("<HH", sig, 4 + len(body)) + body


RICH = [
    record(0xFF85, b"\0" * 4 + b"hello") + b"\0",
    record(0xFF8E, b"\0" * 6 + b"x") + b"\0",
    struct.pack("<HHH", 0xFFCA, 14, 2) + b"\0" * 6 + b"ab",
    struct.pack("<HI", 0x0040, 0) + b"\0\0",
    struct.pack("<BB", 0x85, 4) + b"zz",
]


def file_object(host, name, rrv=1, object_type=0):
    return struct.pack("<HIHHHHI", object_type, rrv, len(name), host, 0, 0, 1) + b"\0" * 16 + name


ATTACHMENTS = [
    file_object(0, b"report.pdf"), file_object(0x0600, b"x"), file_object(0x0700, b"../../etc/passwd"),
    file_object(0x0700, b".."), file_object(0, b"a.tar.gz"), file_object(0, b"n", rrv=99),
    file_object(0, b"q", object_type=1),
]
ITEMS = [
    struct.pack("<Hd", 0x300, 1.5), struct.pack("<HII", 0x400, 100, 2440588),
    struct.pack("<H", 0x500) + b"text", struct.pack("<HHHH", 0x501, 2, 1, 2) + b"abc",
    struct.pack("<H", 0x15) + b"<b>", struct.pack("<HHHd", 0x301, 1, 0, 2.0),
]

if __name__ == "__main__":
    for i, f in enumerate(FORMULAS):
        write("formula_fuzz", f"seed{i}", f)
    for i, t in enumerate(TIMES):
        write("time_text_fuzz", f"seed{i}", t)
    for i, d in enumerate(DESCRIPTIONS):
        write("description_fuzz", f"seed{i}", json.dumps(d))
    for i, r in enumerate(RICH):
        write("rich_text_fuzz", f"seed{i}", r)
        write("item_fuzz", f"rich{i}", struct.pack("<H", 1) + r)
    for i, a in enumerate(ATTACHMENTS):
        write("attachment_fuzz", f"seed{i}", a)
        write("item_fuzz", f"attachment{i}", struct.pack("<H", 3) + a)
    for i, it in enumerate(ITEMS):
        write("item_fuzz", f"typed{i}", it)
