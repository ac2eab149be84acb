"""Rich-text items: the text runs of their records."""

import struct

import pytest

from conftest import doc, export_all, item


def word(sig, body=b"", length=None):
    """A word-form record; its stored length counts the 4-byte header."""
    return struct.pack("<HH", sig, 4 + len(body) if length is None else length) + body


def text_run(sig, text, length=None):
    return word(sig, b"\0\0\0\0" + text, length if length is not None else 8 + len(text))


def counted(sig, text, text_length=None):
    n = len(text) if text_length is None else text_length
    return struct.pack("<HHH", sig, 12 + len(text), n) + b"\0" * 6 + text


def pad(record):
    return record + b"\0" * (len(record) % 2)


def runs(make_db, *records, raw=None):
    value = [{"hex": pad(r).hex()} for r in records] if raw is None else [{"hex": raw.hex()}]
    db = make_db({"notes": [doc(item("Body", "richtext", value))]})
    return export_all(db)[0]["Body"]


@pytest.mark.parametrize(
    "record, expected",
    [
        (text_run(0xFF85, b"plain"), [b"plain"]),
        (text_run(0xFFE4, b"alt"), [b"alt"]),
        (word(0xFF8E, b"\0" * 6 + b"styled"), [b"styled"]),
        (counted(0xFFCA, b"count"), [b"count"]),
        (counted(0xFFF8, b"other"), [b"other"]),
        # Empty texts: nothing for the text runs, an empty run for the others.
        (text_run(0xFF85, b""), []),
        (text_run(0xFFE4, b""), []),
        (word(0xFF8E, b"\0" * 6), [b""]),
        (counted(0xFFCA, b""), [b""]),
        (counted(0xFFF8, b""), [b""]),
        # Signatures that never match in the other two forms.
        (struct.pack("<BB", 0x85, 4) + b"xy", []),
        (struct.pack("<HI", 0x0085, 10) + b"abcd", []),
        # Any byte passes unchanged.
        (text_run(0xFF85, bytes(range(0x80, 0x100)) + b"\0z"), [bytes(range(0x80, 0x100)) + b"\0z"]),
    ],
)
def test_single_records(make_db, record, expected):
    assert runs(make_db, record) == expected


def test_runs_stay_apart_and_odd_records_are_padded(make_db):
    db = make_db({"notes": [doc(item("Body", "richtext", [
        {"text": "abc"}, {"sig": "0xFFB8"}, {"text": "de"}, {"sig": "0xFFCA", "text": "f"}]))]})
    assert export_all(db)[0]["Body"] == [b"abc", b"de", b"f"]


def test_zero_lengths_step_four_or_eight(make_db):
    word_zero = word(0xFFB8, length=0)                            # 4-byte step
    long_zero = struct.pack("<HI", 0x0040, 0) + b"\xee\xee"       # 8-byte step
    raw = word_zero + pad(text_run(0xFF85, b"one")) + long_zero + text_run(0xFF85, b"two")
    assert runs(make_db, raw=raw) == [b"one", b"two"]


def test_walk_ends_at_records_that_reach_past_the_data(make_db):
    first = pad(text_run(0xFF85, b"kept"))
    assert runs(make_db, raw=first + struct.pack("<HI", 0x0040, 0xFFFF) + text_run(0xFF85, b"x")) == [b"kept"]
    assert runs(make_db, raw=first + text_run(0xFF85, b"short", length=200)) == [b"kept"]
    assert runs(make_db, raw=first + counted(0xFFCA, b"ab", text_length=50)) == [b"kept"]
    assert runs(make_db, raw=first + b"\xff") == [b"kept"]       # half a header
    assert runs(make_db, raw=first + b"\x85\xff\x02") == [b"kept"]  # a word header cut short


def test_short_text_record_is_passed_over(make_db):
    raw = word(0xFF85, length=4) + pad(text_run(0xFF85, b"next"))
    assert runs(make_db, raw=raw) == [b"next"]


def test_no_text_records_give_an_empty_list(make_db, captured):
    db = make_db({"notes": [doc(item("Body", "richtext", [{"sig": "0xFFB8"}]))]})
    assert export_all(db, items=["Body"])[0]["Body"] == []
    assert captured.read()[1] == ""  # no warning


def test_last_item_of_a_name_wins(make_db):
    db = make_db({"notes": [doc(item("Body", "richtext", [{"text": "old"}]),
                                item("Body", "richtext", [{"text": "new"}]))]})
    assert export_all(db)[0]["Body"] == [b"new"]


def test_values_over_65535_bytes_keep_their_later_runs(make_db):
    texts = [c * 30000 for c in "xyz"]
    db = make_db({"notes": [doc(item("Body", "richtext", [{"text": t} for t in texts]))]})
    assert export_all(db)[0]["Body"] == [t.encode() for t in texts]
