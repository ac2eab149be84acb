"""Nothing grows over many runs: reference counts and process memory."""

import gc
import re
import sys

import pytest

import Quendrilax
from conftest import doc, item


def rss_kb():
    return int(re.search(r"VmRSS:\s+(\d+)", open("/proc/self/status").read()).group(1))


@pytest.fixture
def db(make_db):
    return make_db({"notes": [doc(item("Subject", "text", "s" * 100), item("L", "textlist", ["a", "b"]),
                                  item("R", "richtext", [{"text": "run"}]), item("N", "number", i))
                              for i in range(50)],
                    "views": [{"title": "V", "columns": [{"item": "N", "sort": "ascending"}]}]})


def test_reference_counts_after_a_thousand_exports(db):
    kept = []

    def callback(d):
        kept.append(d)

    names = ["Subject", "L", "R"]
    before = (sys.getrefcount(callback), [sys.getrefcount(n) for n in names], sys.getrefcount(names))
    for _ in range(1000):
        Quendrilax.export("", db, None, callback, names, None)
    dictionary = kept[0]
    del kept[:]
    assert sys.getrefcount(dictionary) == 2  # the module let go of its dictionary
    after = (sys.getrefcount(callback), [sys.getrefcount(n) for n in names], sys.getrefcount(names))
    assert before == after


def test_memory_is_flat_over_a_thousand_runs(db):
    def run(n):
        for _ in range(n):
            Quendrilax.export("", db, None, lambda d: None, None, None)
            Quendrilax.getViewNoteIds("", db, "V")
        gc.collect()

    run(100)  # warm up caches and allocator pools
    start = rss_kb()
    run(1000)
    assert rss_kb() - start < 3 * 1024
