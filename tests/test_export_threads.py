"""The interpreter lock while export works, and the guard against re-entry."""

import threading
import time

import pytest

import Quendrilax
from conftest import doc, item


@pytest.fixture
def big_db(make_db):
    body = "lorem ipsum " * 40
    return make_db({"notes": [doc(item("Subject", "text", body), item("N", "number", i),
                                  item("L", "textlist", ["a", "b", "c"]))
                              for i in range(20000)]}, name="big.nsf")


def test_other_threads_run_while_export_works(big_db):
    # A formula that matches nothing keeps the whole run inside Notes, with no
    # callback: only a free lock lets the counting thread move meanwhile.
    counter = [0]
    stop = threading.Event()
    running = threading.Event()

    def count():
        while not stop.is_set():
            counter[0] += 1
            running.set()

    worker = threading.Thread(target=count)
    worker.start()
    running.wait(5)
    called = []
    before = counter[0]
    Quendrilax.export("", big_db, None, called.append, None, None, 'Subject = "no such"')
    during = counter[0] - before
    stop.set()
    worker.join()
    assert called == []
    assert during > 0


def test_export_called_from_the_callback_is_turned_away(make_db, captured):
    db = make_db({"notes": [doc(item("A", "text", "a")), doc(item("A", "text", "b"))]})
    errors = []
    seen = []

    def callback(d):
        seen.append(d["A"])
        for call in (lambda: Quendrilax.export("", db, None, print, None, None),
                     lambda: Quendrilax.getViewNoteIds("", db, "V")):
            try:
                call()
            except Exception as e:  # noqa: BLE001
                errors.append((type(e).__name__, str(e)))

    assert Quendrilax.export("", db, None, callback, None, None) is None
    assert seen == [b"a", b"b"]  # the running export goes on unharmed
    assert errors == [("error", "another export is running")] * 4


def test_export_from_a_second_thread_is_turned_away(big_db):
    started = threading.Event()
    result = {}

    def callback(d):
        if not started.is_set():
            started.set()
            time.sleep(0.05)  # let the other thread try while this run is open

    def second():
        started.wait(10)
        try:
            Quendrilax.export("", big_db, None, print, None, None)
        except Exception as e:  # noqa: BLE001
            result["error"] = str(e)

    t = threading.Thread(target=second)
    t.start()
    Quendrilax.export("", big_db, None, callback, ["Nothing"], None)
    t.join()
    assert result == {"error": "another export is running"}
