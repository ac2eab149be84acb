"""Which documents reach the callback: limits, since, formulas, and the callback itself."""

import gc
import sys

import pytest

import Quendrilax
from conftest import doc, export_all, item

FIVE = {
    "notes": [
        doc(item("Form", "text", "Memo" if i % 2 else "Task"), item("N", "number", i),
            id=4 * i, modified=f"2026-01-0{i}T00:00:00.00Z")
        for i in range(1, 6)
    ]
    + [doc(item("Form", "text", "Memo"), id=100, deleted=True)],
    "views": [{"title": "V", "columns": []}],
}


def ids(docs):
    return [d["__NoteId"] for d in docs]


@pytest.mark.parametrize(
    "limit, expected",
    [(-1, [4, 8, 12, 16, 20]), (1, [4]), (3, [4, 8, 12]), (5, [4, 8, 12, 16, 20]),
     (9, [4, 8, 12, 16, 20]), (0, [4]), (-5, [4])],
)
def test_limits(make_db, limit, expected):
    db = make_db(FIVE)
    assert ids(export_all(db, None, None, limit)) == expected


def test_since_and_formula(make_db):
    db = make_db(FIVE)
    assert ids(export_all(db, since="2026-01-03T00:00:00.00Z")) == [16, 20]
    assert ids(export_all(db, 'SELECT Form = "memo"')) == [4, 12, 20]
    assert ids(export_all(db, 'Form = "none"')) == []
    # Under a since time, notes that fail the formula come unmatched and are skipped.
    assert ids(export_all(db, 'Form = "Memo"', since="2026-01-02T12:00")) == [12, 20]
    assert ids(export_all(db, '@ViewTitle = "Mine" & N > 3', "Mine")) == [16, 20]
    assert ids(export_all(db, '@ViewTitle = "Mine"')) == []


def test_raising_callback_without_a_limit_ends_the_search(make_db, captured):
    db = make_db(FIVE)
    seen = []

    def callback(d):
        seen.append(d["__NoteId"])
        if len(seen) == 2:
            raise ValueError("stop here")

    with pytest.raises(Exception, match="^error when searching for data notes$"):
        Quendrilax.export("", db, None, callback, None, None)
    assert seen == [4, 8]
    err = captured.err_lines()
    assert err[0] == "ERROR: Quendrilax: exception during callback:"
    assert "ValueError: stop here" in err
    assert err[-2:] == ["ERROR: Quendrilax: when searching for data notes",
                        "ERROR: Quandrilax API: Unknown error 0x0001"]
    assert sys.exc_info() == (None, None, None)


def test_raising_callback_on_the_document_that_reaches_the_limit(make_db, captured):
    db = make_db(FIVE)

    def callback(d):
        raise KeyError("x")

    assert Quendrilax.export("", db, None, callback, None, None, None, None, 1) is None
    err = captured.err_lines()
    assert err[0] == "ERROR: Quendrilax: exception during callback:"
    assert "when searching" not in "\n".join(err)


def test_callback_that_is_not_callable(make_db, captured):
    db = make_db(FIVE)
    with pytest.raises(Exception, match="^error when searching for data notes$"):
        Quendrilax.export("", db, None, None, None, None)
    assert "TypeError" in captured.read()[1]


def test_return_values_do_not_steer_and_the_dictionary_is_one_object(make_db):
    db = make_db(FIVE)
    kept = []
    results = iter([None, False, 0, "stop", True])

    def callback(d):
        kept.append((d, len(d)))
        return next(results)

    Quendrilax.export("", db, None, callback, None, None)
    assert len(kept) == 5
    assert all(d is kept[0][0] for d, _ in kept)
    assert all(n == 5 for _, n in kept)  # three header keys, Form, N
    assert kept[0][0] == {}  # emptied after every callback


def test_gc_inside_the_callback_and_reference_counts(make_db):
    db = make_db(FIVE)

    def callback(d):
        gc.collect()

    names = ["Form"]
    before = sys.getrefcount(callback), sys.getrefcount(names[0])
    for _ in range(20):
        Quendrilax.export("", db, None, callback, names, None)
    assert (sys.getrefcount(callback), sys.getrefcount(names[0])) == before


def test_names_list_changed_by_the_callback(make_db):
    db = make_db(FIVE)
    names = ["Fo" + "rm".upper().lower(), "N"]  # strings that only the list holds
    seen = []

    def callback(d):
        seen.append(sorted(k for k in d if not k.startswith("__")))
        names.clear()
        gc.collect()

    Quendrilax.export("", db, None, callback, names, None)
    assert seen == [["Form", "N"]] * 5
