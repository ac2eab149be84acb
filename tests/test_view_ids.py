"""getViewNoteIds: order, categories, batches and every failure."""

import sys

import pytest

import Quendrilax
from conftest import doc, item

VIEWS = {
    "notes": [
        doc(item("Cat", "textlist", ["b", "a"]), item("S", "text", "pear"), item("N", "number", 2)),
        doc(item("Cat", "text", "a"), item("S", "text", "Apple"), item("N", "number", 30)),
        doc(item("S", "text", "zed"), item("N", "number", -4)),
        doc(item("Cat", "text", "B"), item("S", "text", "fig")),
    ],
    "views": [
        {"title": "By Text", "aliases": ["text"], "columns": [{"item": "S", "sort": "ascending"}]},
        {"title": "By Number", "columns": [{"item": "N", "sort": "descending"}]},
        {"title": "By Cat", "columns": [{"item": "Cat", "categorized": True},
                                        {"item": "S", "sort": "ascending"}]},
        {"title": "Empty", "selection": "SELECT @False", "columns": []},
    ],
}


def test_sorted_views(make_db):
    db = make_db(VIEWS)
    assert Quendrilax.getViewNoteIds("", db, "By Text") == [8, 16, 4, 12]
    assert Quendrilax.getViewNoteIds("", db, "TEXT") == [8, 16, 4, 12]
    assert Quendrilax.getViewNoteIds("", db, "By Number") == [8, 4, 12, 16]
    assert Quendrilax.getViewNoteIds("", db, "Empty") == []


def test_categories_are_left_out_and_documents_repeat_per_value(make_db):
    db = make_db(VIEWS)
    ids = Quendrilax.getViewNoteIds("", db, "By Cat")
    # (missing): zed; a: Apple, pear; b: fig, pear
    assert ids == [12, 8, 4, 16, 4]
    assert all(0 <= i <= 2147483647 for i in ids)


def test_many_reads(make_db, monkeypatch):
    db = make_db({"notes": [doc(item("N", "number", 1000 - i)) for i in range(100)],
                  "views": [{"title": "V", "columns": [{"item": "N", "sort": "ascending"}]}]})
    monkeypatch.setenv("NOTES_READ_MAX", "7")
    assert Quendrilax.getViewNoteIds("", db, "V") == [4 * (100 - i) for i in range(100)]


FAILURES = [
    ("Nope", None, ["ERROR: Quendrilax: unable to find view 'Nope'", "ERROR: Quandrilax API: View does not exist"],
     "unable to find view 'Nope'"),
    ("By Text", "NIFOpenCollection=0x0103",
     ["ERROR: Quendrilax: unable to open collection for view 'By Text'", "ERROR: Quandrilax API: Insufficient memory"],
     "unable to open collection for view 'By Text'"),
    ("By Text", "NIFReadEntries@1=0x010B",
     ["ERROR: Quendrilax: unable to read collection entries for view 'By Text'",
      "ERROR: Quandrilax API: Database file could not be read"],
     "unable to read collection entries for view 'By Text'"),
    ("By Text", "NIFReadEntries@2=0x010B",
     ["ERROR: Quendrilax: unable to read collection entries for view 'By Text'",
      "ERROR: Quandrilax API: Database file could not be read"],
     "unable to read collection entries for view 'By Text'"),
    ("By Text", "NIFReadEntries@1=nobuffer",
     ["ERROR: Quendrilax: empty buffer during read collection entries for view 'By Text'"],
     "empty buffer during read collection entries for view 'By Text'"),
    ("By Text", "NIFReadEntries@3=nobuffer",
     ["ERROR: Quendrilax: empty buffer during read collection entries for view 'By Text'"],
     "empty buffer during read collection entries for view 'By Text'"),
]


@pytest.mark.parametrize("view, faults, lines, text", FAILURES)
def test_failures(make_db, captured, monkeypatch, view, faults, lines, text):
    db = make_db(VIEWS)
    monkeypatch.setenv("NOTES_READ_MAX", "1")  # several reads, so later reads can fail
    if faults:
        monkeypatch.setenv("NOTES_FAULTS", faults)
    with pytest.raises(Exception) as info:
        Quendrilax.getViewNoteIds("", db, view)
    assert type(info.value).__name__ == "error"
    assert str(info.value) == text
    assert captured.err_lines() == lines  # and no leak line: the fixture checks


def test_start_path_and_open_failures(tmp_path, make_db, captured, monkeypatch):
    db = make_db(VIEWS)
    monkeypatch.setenv("NOTES_FAULTS", "NotesInitExtended=5")
    with pytest.raises(Exception, match="^could not initialize Notes$"):
        Quendrilax.getViewNoteIds("", db, "By Text")
    assert captured.read() == ("", "")
    monkeypatch.delenv("NOTES_FAULTS")
    with pytest.raises(Exception, match="^unable to build path to DB$"):
        Quendrilax.getViewNoteIds("", "x" * 300, "V")
    assert captured.err_lines() == ["ERROR: Quendrilax: could not build path to DB",
                                    "ERROR: Quandrilax API: Path name is longer than 255 bytes"]
    missing = str(tmp_path / "none.nsf")
    with pytest.raises(Exception, match="^unable to open DB$"):
        Quendrilax.getViewNoteIds("", missing, "V")
    assert captured.err_lines() == [f"ERROR: Quendrilax: unable to open DB '{missing}'",
                                    "ERROR: Quandrilax API: File does not exist"]


@pytest.mark.parametrize("args", [("", "db"), (None, "db", "v"), ("", "db", None), ("", 1, "v"),
                                  ("", "db", "v", "x")])
def test_argument_errors(captured, monkeypatch, args):
    monkeypatch.setenv("NOTES_FAULTS", "NotesInitExtended=5")
    with pytest.raises(TypeError):
        Quendrilax.getViewNoteIds(*args)
    assert captured.read() == ("", "")


def test_result_is_a_fresh_list_with_one_reference(make_db):
    db = make_db(VIEWS)
    ids = Quendrilax.getViewNoteIds("", db, "By Text")
    assert sys.getrefcount(ids) == 2
