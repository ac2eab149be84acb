"""The document dictionary: header keys and item values by data type."""

import pytest

from conftest import doc, export_all, item

UNID_BYTES_REVERSED = "0f0e0d0c0b0a09080706050403020100"


def only(db, **kwargs):
    docs = export_all(db, **kwargs)
    assert len(docs) == 1
    return docs[0]


def test_header_keys(make_db):
    db = make_db({"notes": [doc(id=40, unid=UNID_BYTES_REVERSED, modified="2026-07-08T09:10:11.12Z")]})
    d = only(db)
    assert d == {"__NoteId": 40, "__UNID": UNID_BYTES_REVERSED,
                 "__ModifyDate": "2026-07-08T09:10:11.12Z"}
    assert all(type(k) is str for k in d)


def test_unid_puts_the_note_part_first(make_db):
    # File part words 0x00000001 0x00000002, Note part 0x00000003 0x00000004:
    # the text is the Note part's second word first.
    unid = "00000004000000030000000200000001"
    db = make_db({"notes": [doc(unid=unid)]})
    assert only(db)["__UNID"] == unid


def test_item_named_like_a_header_key_replaces_it(make_db):
    db = make_db({"notes": [doc(item("__NoteId", "text", "mine"))]})
    assert only(db)["__NoteId"] == b"mine"


def test_values_by_type(make_db):
    db = make_db({"notes": [doc(
        item("N", "number", -2.5),
        item("T", "time", "2026-02-03T04:05:06.07Z"),
        item("D", "time", "2026-02-03"),
        item("S", "text", "h\u00e9llo"),
        item("Z", "text", hex="610062"),
        item("E", "text", ""),
        item("L", "textlist", ["a", "", "c"]),
        item("L1", "textlist", ["one"]),
        item("L0", "textlist", []),
        item("H", "html", "<b>x</b>"),
        item("NL", "numberlist", [1, 2]),
        item("TL", "timelist", ["2026-01-01"]),
        item("U", 0x0777, hex="0102"),
        item("R", "richtext", [{"text": "run"}]),
    )]})
    d = only(db)
    assert d["N"] == -2.5 and type(d["N"]) is float
    assert d["T"] == "2026-02-03T04:05:06.07Z"
    assert d["D"] == "2026-02-03"
    assert d["S"] == "h\u00e9llo".encode()
    assert d["Z"] == b"a\x00b"
    assert d["E"] == b""
    assert d["L"] == (b"a", b"", b"c")
    assert d["L1"] == (b"one",)
    assert d["L0"] == ()
    assert d["H"] == b"<b>x</b>"
    assert d["R"] == [b"run"]
    for absent in ("NL", "TL", "U"):
        assert absent not in d


def test_long_values_arrive_whole(make_db):
    long_text = "x" * 70000
    entries = ["y" * 30000, "z" * 30000, "w" * 30000]
    db = make_db({"notes": [doc(item("Big", "text", long_text), item("Html", "html", long_text),
                                item("List", "textlist", entries))]})
    d = only(db)
    assert d["Big"] == long_text.encode()
    assert d["Html"] == long_text.encode()
    assert d["List"] == tuple(e.encode() for e in entries)


def test_later_item_of_a_name_wins_unless_it_yields_nothing(make_db):
    db = make_db({"notes": [doc(item("A", "text", "first"), item("A", "text", "second"),
                                item("B", "text", "kept"), item("B", "numberlist", [1]))]})
    d = only(db)
    assert d["A"] == b"second"
    assert d["B"] == b"kept"


@pytest.mark.parametrize(
    "name, hex_value",
    [
        ("N", "0000"),          # a number of 2 bytes
        ("T", "01000000"),      # a time of 4 bytes
        ("L", "0300"),          # three entries, no lengths
        ("L", "010005006162"),  # an entry longer than the data
        ("L", ""),              # not even a count
    ],
)
def test_values_too_short_for_their_type_yield_nothing(make_db, captured, name, hex_value):
    types = {"N": 0x0300, "T": 0x0400, "L": 0x0501}
    db = make_db({"notes": [doc(item(name, types[name], hex=hex_value))]})
    d = only(db, items=[name])
    assert name not in d
    assert captured.err_lines() == [f"WARNING: Quendrilax: could not extract item data for item '{name}'"]


def test_filter(make_db, captured):
    db = make_db({"notes": [
        doc(item("Subject", "text", "s"), item("subject", "text", "lower"),
            item("Count", "number", 3), item("Range", "numberlist", [1]), item("Other", "text", "o")),
        doc(item("Other", "text", "o")),
    ]})
    subject = "".join(["Sub", "ject"])
    names = [subject, "Count", "Range", "Missing", "Subject"]
    docs = export_all(db, items=names)
    first = docs[0]
    assert first == {"__NoteId": 4, "__UNID": first["__UNID"], "__ModifyDate": first["__ModifyDate"],
                     "Subject": b"s", "Count": 3.0}
    key = next(k for k in first if k == "Subject")
    assert key is subject  # the caller's own string is the key
    assert set(docs[1]) == {"__NoteId", "__UNID", "__ModifyDate"}
    # One warning for the requested name whose item yields nothing; none for missing names.
    assert captured.err_lines() == ["WARNING: Quendrilax: could not extract item data for item 'Range'"]


def test_keys_without_a_filter_are_interned_and_shared(make_db):
    db = make_db({"notes": [doc(item("Name\u00e9", "text", "a")), doc(item("Name\u00e9", "text", "b"))]})
    docs = export_all(db)
    k1 = next(k for k in docs[0] if k.startswith("Name"))
    k2 = next(k for k in docs[1] if k.startswith("Name"))
    assert k1 == "Name\u00e9" and k1 is k2
