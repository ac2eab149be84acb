"""Ctrl-C and sys.exit() in the middle of an export."""

import _thread
import os
import signal
import subprocess
import sys
import threading
import time

import pytest

import Quendrilax
from conftest import doc, item


@pytest.fixture
def long_db(make_db):
    return make_db({"notes": [doc(item("Body", "text", "x" * 200), item("N", "number", i))
                              for i in range(50000)]}, name="long.nsf")


def test_ctrl_c_stops_the_export_and_raises_keyboard_interrupt(long_db, captured):
    seen = []
    timer = threading.Timer(0.2, lambda: os.kill(os.getpid(), signal.SIGINT))

    def callback(d):
        seen.append(d["__NoteId"])
        time.sleep(0.0001)

    timer.start()
    started = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        Quendrilax.export("", long_db, None, callback, None, None)
    assert time.monotonic() - started < 1.5
    assert 0 < len(seen) < 50000
    timer.join()
    # Nothing printed as a callback failure, no leak line (the fixture checks).
    assert "exception during callback" not in captured.read()[1]
    # The interpreter goes on, and so does the module.
    assert len([1 for _ in range(3)]) == 3
    assert Quendrilax.getViewNoteIds is not None
    seen.clear()
    Quendrilax.export("", long_db, None, seen.append, None, None, None, None, 5)
    assert len(seen) == 5


def test_sys_exit_in_the_callback_exits_after_cleaning_up(long_db):
    code = ("import sys, Quendrilax\n"
            "def cb(d):\n"
            "    sys.exit(7)\n"
            f"Quendrilax.export('', {long_db!r}, None, cb, None, None)\n"
            "print('not reached')\n")
    result = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                            env={**os.environ, "NOTES_LEAK_CHECK": "1"})
    assert result.returncode == 7
    assert result.stdout == ""
    assert "NOTES LEAK" not in result.stderr
    assert "exception during callback" not in result.stderr


def test_keyboard_interrupt_on_the_document_of_the_limit_is_still_raised(long_db):
    def callback(d):
        raise KeyboardInterrupt

    with pytest.raises(KeyboardInterrupt):
        Quendrilax.export("", long_db, None, callback, None, None, None, None, 1)


def test_interrupt_from_another_thread(long_db):
    started = threading.Event()

    def callback(d):
        started.set()

    def interrupt():
        started.wait(5)
        _thread.interrupt_main()

    t = threading.Thread(target=interrupt)
    t.start()
    with pytest.raises(KeyboardInterrupt):
        Quendrilax.export("", long_db, None, callback, None, None)
    t.join()
