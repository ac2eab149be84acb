"""File attachments: target paths, the "$FILE" list and the files' bytes."""

import ctypes
import os

import pytest

from conftest import doc, export_all, item


def attachment(filename, host=0, content="data", name="$FILE", **extra):
    entry = {"name": name, "type": "attachment", "filename": filename, "host": host, **extra}
    if "content_hex" not in extra and "content_file" not in extra and "object" not in extra:
        entry["content"] = content
    return entry


def flush_stdout():
    ctypes.CDLL(None).fflush(None)


@pytest.fixture
def in_tmp(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    (tmp_path / "out").mkdir()
    return tmp_path


def files(db, cache):
    return export_all(db, cache=cache)


def test_cache_folder_forms(make_db, in_tmp):
    db = make_db({"notes": [doc(attachment("report.pdf", content="PDF"))]})
    assert files(db, "out/")[0]["$FILE"] == ["file://./out/0.pdf"]
    assert (in_tmp / "out" / "0.pdf").read_bytes() == b"PDF"
    assert files(db, "out")[0]["$FILE"] == ["file://./out0.pdf"]
    assert (in_tmp / "out0.pdf").exists()
    absolute = f"{in_tmp}/out/"
    assert files(db, absolute)[0]["$FILE"] == [f"file://./{absolute}0.pdf"]
    assert files(db, "")[0]["$FILE"] == ["file://./0.pdf"]
    assert (in_tmp / "0.pdf").exists()


@pytest.mark.parametrize(
    "stored, host, expected",
    [
        ("report.pdf", 0, "0.pdf"),
        ("report.pdf", 0x0600, "e0"),
        ("report.pdf", 0x0700, "report.pdf"),
        ("report.pdf", 0x1701, "report.pdf"),  # only 0x0F00 of the host word counts
        ("noext", 0, "0"),
        ("trailing.", 0, "0."),
        ("a.tar.gz", 0, "0.gz"),
        ("nine.123456789", 0, "0.123456789"),
        ("ten.1234567890", 0, "0"),
        ("dir.d/name", 0, "0"),  # an extension holding a separator is left off
    ],
)
def test_names_by_host_type_and_extension(make_db, in_tmp, stored, host, expected):
    db = make_db({"notes": [doc(attachment(stored, host=host))]})
    assert files(db, "out/")[0]["$FILE"] == [f"file://./out/{expected}"]
    assert (in_tmp / "out" / expected).read_bytes() == b"data"


@pytest.mark.parametrize("stored, expected", [
    ("../../x", "x"), ("/etc/x", "x"), ("a\\..\\..\\y", "y"), ("..", "0."), ("sub/", "0"),
    ("./.", "0."), ("evil/../../.bashrc", ".bashrc"),
])
def test_stored_names_never_leave_the_cache_folder(make_db, in_tmp, stored, expected):
    db = make_db({"notes": [doc(attachment(stored, host=0x0700))]})
    assert files(db, "out/")[0]["$FILE"] == [f"file://./out/{expected}"]
    assert sorted(os.listdir(in_tmp / "out")) == [expected]
    assert sorted(os.listdir(in_tmp)) == ["out", "test.nsf", "test.nsf.json"]


def test_numbers_run_across_documents_and_skip_stored_names(make_db, in_tmp):
    db = make_db({"notes": [
        doc(attachment("a.txt"), attachment("b.txt")),
        doc(attachment("same.txt", host=0x0700), attachment("same.txt", host=0x0700),
            attachment("c.txt", host=0x0600), attachment("d.txt")),
    ]})
    docs = files(db, "out/")
    assert docs[0]["$FILE"] == ["file://./out/0.txt", "file://./out/1.txt"]
    assert docs[1]["$FILE"] == ["file://./out/same.txt", "file://./out/same.txt",
                                "file://./out/e2", "file://./out/3.txt"]


def test_bytes_are_written_exactly(make_db, in_tmp):
    blob = bytes(range(256)) * 300
    (in_tmp / "src.bin").write_bytes(blob)
    db = make_db({"notes": [doc(attachment("x.bin", content_hex=blob.hex()),
                                attachment("y.bin", content_file=str(in_tmp / "src.bin")),
                                attachment("empty.bin", content=""))]})
    assert len(files(db, "out/")[0]["$FILE"]) == 3
    assert (in_tmp / "out" / "0.bin").read_bytes() == blob
    assert (in_tmp / "out" / "1.bin").read_bytes() == blob
    assert (in_tmp / "out" / "2.bin").read_bytes() == b""


def test_failed_extraction_keeps_the_others(make_db, in_tmp, captured, monkeypatch):
    db = make_db({"notes": [doc(attachment("1.a"), attachment("2.b"), attachment("3.c"))]})
    monkeypatch.setenv("NOTES_FAULTS", "NSFNoteExtractFile@2=0x0115")
    docs = files(db, "out/")
    flush_stdout()
    out, err = captured.read()
    assert docs[0]["$FILE"] == ["file://./out/0.a", "file://./out/2.c"]
    assert out == "FAILED to extract attachment 'out/1.b'\n"
    assert err.splitlines() == ["ERROR: Quandrilax API: Unable to write the attachment file"]


def test_missing_folder_fails_each_extraction(make_db, in_tmp, captured):
    db = make_db({"notes": [doc(attachment("a.txt"))]})
    assert "$FILE" not in files(db, "nowhere/")[0]
    flush_stdout()
    out, err = captured.read()
    assert out == "FAILED to extract attachment 'nowhere/0.txt'\n"


def test_objects_that_are_not_files_yield_nothing_but_count(make_db, in_tmp, captured):
    db = make_db({"notes": [doc(
        attachment("notfile.txt", object_type=1),
        attachment("wrongclass.txt", object_class=2),
        attachment("missing.txt", object="missing"),
        attachment("good.txt"),
    )]})
    d = files(db, "out/")[0]
    assert d["$FILE"] == ["file://./out/0.txt"]  # the fourth, found by its rank
    assert os.listdir(in_tmp / "out") == ["0.txt"]
    assert captured.err_lines() == ["ERROR: Quandrilax API: Object does not exist"]


def test_item_names(make_db, in_tmp):
    db = make_db({"notes": [
        doc(attachment("lower.txt", name="$File")),  # not "$FILE": neither extracted nor counted
        doc(attachment("a.txt"), attachment("longer.txt", name="$FILEX")),
    ]})
    docs = files(db, "out/")
    assert set(docs[0]) == {"__NoteId", "__UNID", "__ModifyDate"}
    # "$FILEX" counts as the second attachment, but the lookup by rank sees only items
    # named "$File" in any case, and there is no second one.
    assert docs[1]["$FILE"] == ["file://./out/0.txt"]
    assert "$FILEX" not in docs[1]
    assert os.listdir(in_tmp / "out") == ["0.txt"]


def test_longer_name_shares_the_list(make_db, in_tmp):
    db = make_db({"notes": [doc(attachment("a.txt"), attachment("c.txt", name="$FILE2"),
                                attachment("b.txt"))]})
    # "$FILE2" is the second qualifying item and reaches the second "$File" item (b.txt),
    # whose bytes it writes; "$FILE" at rank 3 then finds no third one.
    d = files(db, "out/")[0]
    assert d["$FILE"] == ["file://./out/0.txt", "file://./out/1.txt"]
    assert d["$FILE2"] is d["$FILE"]


def test_no_cache_folder(make_db, in_tmp, captured):
    db = make_db({"notes": [doc(attachment("a.txt"), attachment("b.txt"))]})
    assert "$FILE" not in export_all(db)[0]
    assert os.listdir(in_tmp / "out") == []
    export_all(db, items=["$FILE"])
    assert captured.err_lines() == [
        "WARNING: Quendrilax: could not extract item data for item '$FILE'"] * 2


def test_text_under_file_is_not_appended_to(make_db, in_tmp, captured):
    db = make_db({"notes": [doc(attachment("x.txt", name="$FILEX"), item("$FILE", "text", "t"),
                                attachment("a.txt"))]})
    d = files(db, "out/")[0]
    flush_stdout()
    out, err = captured.read()
    # "$FILEX" reached the text item by its rank and failed; the last attachment
    # starts a new list in place of the text.
    assert out == "FAILED to extract attachment 'out/0.txt'\n"
    assert err == "ERROR: Quandrilax API: Object is not a file attachment\n"
    assert d["$FILE"] == ["file://./out/1.txt"]


def test_truncated_file_object_yields_nothing(make_db, in_tmp):
    db = make_db({"notes": [doc(attachment("real.txt")),  # object 1
                            doc({"name": "$FILE", "type": 3, "hex": "0000010000"}),
                            doc({"name": "$FILE", "type": 3,
                                 "hex": "00000100000050000000" + "00" * 24 + "6162"})]})
    docs = files(db, "out/")
    assert "$FILE" not in docs[1]
    # A stored name longer than the data: only the bytes present are read.
    assert docs[2]["$FILE"] == ["file://./out/1"]
