"""Files that are not good databases: a clear error or no value, never a crash."""

import random
import sqlite3

import pytest

import Quendrilax
from conftest import doc, export_all, item


def raises_module_error(fn, *args):
    with pytest.raises(Exception) as info:
        fn(*args)
    assert type(info.value).__name__ == "error"
    return str(info.value)


@pytest.fixture
def good_db(make_db):
    return make_db({"notes": [doc(item("Body", "text", "x" * 500), item("N", "number", i))
                              for i in range(300)],
                    "views": [{"title": "V", "columns": [{"item": "N", "sort": "ascending"}]}]})


def test_random_bytes(tmp_path, captured):
    path = tmp_path / "random.nsf"
    path.write_bytes(random.Random(5).randbytes(50000))
    assert raises_module_error(Quendrilax.export, "", str(path), None, print, None, None) == "unable to open DB"
    assert raises_module_error(Quendrilax.getViewNoteIds, "", str(path), "V") == "unable to open DB"
    assert captured.err_lines()[-1] == "ERROR: Quandrilax API: File is not a Notes database"


def test_empty_file_and_folder(tmp_path, captured):
    (tmp_path / "empty.nsf").write_bytes(b"")
    for path in (tmp_path / "empty.nsf", tmp_path):
        assert raises_module_error(Quendrilax.export, "", str(path), None, print, None, None) == "unable to open DB"
    assert "File is not a Notes database" in captured.read()[1]


def test_sqlite_file_of_another_schema(tmp_path, captured):
    path = tmp_path / "other.sqlite"
    con = sqlite3.connect(path)
    con.execute("CREATE TABLE notes(id INTEGER PRIMARY KEY, body TEXT)")
    con.execute("INSERT INTO notes VALUES (4, 'hello')")
    con.commit()
    con.close()
    assert raises_module_error(Quendrilax.export, "", str(path), None, print, None, None) == "unable to open DB"
    assert captured.err_lines()[-1] == "ERROR: Quandrilax API: File is not a Notes database"


def test_database_of_another_version(good_db, captured):
    con = sqlite3.connect(good_db)
    con.execute("UPDATE meta SET value = 99 WHERE key = 'version'")
    con.commit()
    con.close()
    assert raises_module_error(Quendrilax.export, "", good_db, None, print, None, None) == "unable to open DB"
    assert captured.err_lines()[-1] == "ERROR: Quandrilax API: Database was written by another format version"


@pytest.mark.parametrize("fraction", [0.9, 0.5, 0.2])
def test_truncated_database(good_db, tmp_path, fraction):
    data = open(good_db, "rb").read()
    cut = tmp_path / "cut.nsf"
    cut.write_bytes(data[: int(len(data) * fraction)])
    seen = []
    try:
        Quendrilax.export("", str(cut), None, seen.append, None, None)
    except Exception as e:  # noqa: BLE001
        assert type(e).__name__ == "error"
    try:
        Quendrilax.getViewNoteIds("", str(cut), "V")
    except Exception as e:  # noqa: BLE001
        assert type(e).__name__ == "error"
    assert len(seen) <= 300


def test_damaged_item_blob(good_db, captured):
    con = sqlite3.connect(good_db)
    con.execute("UPDATE notes SET items = x'ffffffff0000' WHERE id = 8")
    con.commit()
    con.close()
    seen = []
    assert raises_module_error(Quendrilax.export, "", good_db, None,
                               lambda d: seen.append(d["__NoteId"]), None, None) == \
        "error when searching for data notes"
    assert seen == [4]
    assert captured.err_lines()[:2] == ["ERROR: Quendrilax: unable to open NoteID 8 note",
                                        "ERROR: Quandrilax API: Database holds damaged data"]


def test_damaged_view_index(good_db, captured):
    con = sqlite3.connect(good_db)
    con.execute("UPDATE view_index SET note_ids = x'010203'")
    con.commit()
    con.close()
    assert raises_module_error(Quendrilax.getViewNoteIds, "", good_db, "V") == "unable to open collection for view 'V'"


def test_values_that_lie_about_their_contents(make_db, tmp_path):
    # A text list whose count promises more than the data holds, a number cut
    # short, a file object cut short, rich text whose record claims 4 GB.
    db = make_db({"notes": [doc(
        item("L", 0x0501, hex="ff7f0100"),
        item("N", 0x0300, hex="00"),
        item("$FILE", 3, hex="000001"),
        item("R", 1, hex="0000ffffffff" + "85ff0900000000000061"),
    )]})
    d = export_all(db, cache=str(tmp_path) + "/")[0]
    assert "L" not in d and "N" not in d and "$FILE" not in d
    assert d["R"] == []
