"""export's argument checks and every failure with its lines and raised text."""

import sys

import pytest

import Quendrilax
from conftest import doc, export_all, item

THREE = {
    "notes": [
        doc(item("Subject", "text", "a"), id=4),
        doc(item("Subject", "text", "b"), id=8),
        doc(item("Subject", "text", "c"), id=12),
    ]
}


def raises_text(text, *args):
    with pytest.raises(Exception) as info:
        Quendrilax.export(*args)
    assert type(info.value).__name__ == "error"
    assert str(info.value) == text


@pytest.mark.parametrize(
    "names, since, text",
    [
        ((), None, "3rd argument must be a list"),
        ([], None, "3rd argument must be a list of at least one item"),
        (["a", 3], None, "item names must be strings"),
        (["a", b"b"], None, "item names must be strings"),
        (None, 5, "4th argument must be None or a valid DateTime string"),
        (["a"], 5, "4th argument must be None or a valid DateTime string"),
        (None, b"2026-01-01", "4th argument must be None or a valid DateTime string"),
    ],
)
def test_bad_arguments_raise_before_any_notes_call(make_db, captured, monkeypatch, names, since, text):
    db = make_db(THREE)
    # A Notes call would fail loudly; none is made.
    monkeypatch.setenv("NOTES_FAULTS", "NotesInitExtended=5")
    raises_text(text, "", db, None, print, names, since)
    assert captured.read() == ("", "")
    monkeypatch.delenv("NOTES_FAULTS")
    assert len(export_all(db)) == 3  # a following export runs normally


def test_subclasses_of_list_and_str_are_accepted(make_db):
    class Names(list):
        pass

    class Name(str):
        pass

    db = make_db(THREE)
    docs = export_all(db, items=Names([Name("Subject")]), since=Name("2020-01-01"))
    assert [d["Subject"] for d in docs] == [b"a", b"b", b"c"]


@pytest.mark.parametrize(
    "args",
    [
        ("", "db"),
        ("", "db", None, print, None, None, None, None, -1, "extra"),
        (None, "db", None, print, None, None),
        ("", "db", 3, print, None, None),
        ("", "db", None, print, None, None, 3),
        ("", "db", None, print, None, None, None, None, "x"),
    ],
)
def test_interpreter_argument_errors(captured, args):
    with pytest.raises(TypeError):
        Quendrilax.export(*args)
    assert captured.read() == ("", "")


def test_notes_that_does_not_start(make_db, captured, monkeypatch):
    db = make_db(THREE)
    monkeypatch.setenv("NOTES_FAULTS", "NotesInitExtended=0x0101")
    raises_text("could not initialize Notes", "", db, None, print, None, None)
    assert captured.read() == ("", "")


def test_path_that_cannot_be_built(captured):
    raises_text("unable to build path to DB", "", "x" * 300, None, print, None, None)
    assert captured.err_lines() == [
        "ERROR: Quendrilax: could not build path to DB",
        "ERROR: Quandrilax API: Path name is longer than 255 bytes",
    ]


def test_database_that_does_not_open(tmp_path, captured, monkeypatch):
    missing = tmp_path / "missing.nsf"
    raises_text("unable to open DB", "", str(missing), None, print, None, None)
    assert captured.err_lines() == [
        f"ERROR: Quendrilax: unable to open DB '{missing}'",
        "ERROR: Quandrilax API: File does not exist",
    ]
    # The line shows the full path built from server and file.
    monkeypatch.setenv("NOTES_SERVERS", f"Mail01={tmp_path}")
    raises_text("unable to open DB", "Mail01", "missing.nsf", None, print, None, None)
    assert captured.err_lines()[0] == "ERROR: Quendrilax: unable to open DB 'Mail01!!missing.nsf'"


def test_unreadable_since_text_warns_and_runs_unrestricted(make_db, captured):
    db = make_db(THREE)
    docs = export_all(db, since="soon")
    assert len(docs) == 3
    assert captured.err_lines() == [
        "ERROR: Quendrilax: unable to convert time 'soon' to TIMEDATE",
        "ERROR: Quandrilax API: Unable to interpret time or date",
    ]


@pytest.mark.parametrize(
    "formula, faults, lines, text",
    [
        (
            'Subject = "a"',
            "NSFFormulaCompile=0x0105",
            [
                'ERROR: Quendrilax: unable to compile formula "Subject = "a"": NSFFormulaCompile failed',
                "ERROR: Quandrilax API: Invalid argument",
            ],
            "unable to compile formula",
        ),
        (
            "Subject = ",
            None,
            [
                'ERROR: Quendrilax: unable to compile formula "Subject = ": got compile error',
                "ERROR: Quandrilax API: Formula ends unexpectedly",
            ],
            "unable to compile formula: received Notes compilation error",
        ),
        (
            "@Nope",
            None,
            [
                'ERROR: Quendrilax: unable to compile formula "@Nope": got compile error',
                "ERROR: Quandrilax API: Unknown @function",
            ],
            "unable to compile formula: received Notes compilation error",
        ),
    ],
)
def test_formula_failures(make_db, captured, monkeypatch, formula, faults, lines, text):
    db = make_db(THREE)
    if faults:
        monkeypatch.setenv("NOTES_FAULTS", faults)
    called = []
    raises_text(text, "", db, None, called.append, None, None, formula)
    assert called == []
    assert captured.err_lines() == lines


SEARCH_FAILED = "ERROR: Quendrilax: when searching for data notes"


def test_search_failure(make_db, captured, monkeypatch):
    db = make_db(THREE)
    monkeypatch.setenv("NOTES_FAULTS", "NSFSearch=0x010B")
    raises_text("error when searching for data notes", "", db, None, print, None, None)
    assert captured.err_lines() == [SEARCH_FAILED, "ERROR: Quandrilax API: Database file could not be read"]


def test_note_that_does_not_open_ends_the_search(make_db, captured, monkeypatch):
    db = make_db(THREE)
    monkeypatch.setenv("NOTES_FAULTS", "NSFNoteOpenExt@2=0x010D")
    seen = []
    raises_text("error when searching for data notes", "", db, None,
                lambda d: seen.append(d["__NoteId"]), None, None)
    assert seen == [4]
    assert captured.err_lines() == [
        "ERROR: Quendrilax: unable to open NoteID 8 note",
        "ERROR: Quandrilax API: Note does not exist",
        SEARCH_FAILED,
        "ERROR: Quandrilax API: Note does not exist",
    ]


@pytest.mark.parametrize("limit, raises", [(-1, True), (1, False)])
def test_note_that_does_not_close_is_still_delivered(make_db, captured, monkeypatch, limit, raises):
    db = make_db(THREE)
    monkeypatch.setenv("NOTES_FAULTS", "NSFNoteClose@1=0x0102")
    seen = []
    args = ("", db, None, lambda d: seen.append(d["__NoteId"]), None, None, None, None, limit)
    if raises:
        raises_text("error when searching for data notes", *args)
        assert captured.err_lines() == [
            "ERROR: Quendrilax: unable to close note",
            SEARCH_FAILED,
            "ERROR: Quandrilax API: Invalid or closed handle",
        ]
    else:
        assert Quendrilax.export(*args) is None
        assert captured.err_lines() == ["ERROR: Quendrilax: unable to close note"]
    assert seen == [4]


def test_reference_counts_are_unchanged_after_every_way_out(make_db, monkeypatch):
    db = make_db(THREE)

    def callback(d):
        pass

    names = ["Subject", "Other"]
    before = (sys.getrefcount(callback), [sys.getrefcount(n) for n in names], sys.getrefcount(names))
    for faults in (None, "NotesInitExtended=5", "NSFDbOpen=0x0107", "NSFSearch=0x010B",
                   "NSFNoteOpenExt@2=0x010D"):
        if faults:
            monkeypatch.setenv("NOTES_FAULTS", faults)
        else:
            monkeypatch.delenv("NOTES_FAULTS", raising=False)
        try:
            Quendrilax.export("", db, None, callback, names, None)
        except Exception:
            pass
    after = (sys.getrefcount(callback), [sys.getrefcount(n) for n in names], sys.getrefcount(names))
    assert before == after
