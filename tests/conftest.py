"""Shared fixtures: databases built with notesdb, and captured output that
fails the test on any leak line of the Notes library."""

import json
import os
import shutil
import subprocess
import sys
from pathlib import Path

import pytest

# Every handle the library still holds at NotesTerm is reported on stderr.
os.environ["NOTES_LEAK_CHECK"] = "1"
os.environ.pop("NOTES_FAULTS", None)
os.environ.pop("NOTES_READ_MAX", None)

NOTESDB = shutil.which("notesdb", path=str(Path(sys.executable).parent)) or shutil.which("notesdb")


def build_db(directory: Path, description: dict, name: str = "test.nsf") -> Path:
    """Builds `description` with notesdb into directory/name and returns the path."""
    desc_path = directory / (name + ".json")
    desc_path.write_text(json.dumps(description))
    db_path = directory / name
    subprocess.run([NOTESDB, "build", str(desc_path), str(db_path)], check=True)
    return db_path


def doc(*items, **note):
    """A NOTE of a description with the given ITEMs."""
    return dict(note, items=list(items))


def item(name, type_, value=None, **extra):
    entry = {"name": name, "type": type_, **extra}
    if value is not None:
        entry["value"] = value
    return entry


@pytest.fixture
def make_db(tmp_path):
    def make(description, name="test.nsf"):
        return str(build_db(tmp_path, description, name))

    return make


class Captured:
    """capfd, with every read checked for leak lines."""

    def __init__(self, capfd):
        self._capfd = capfd

    def read(self):
        out, err = self._capfd.readouterr()
        assert "NOTES LEAK" not in err, err
        return out, err

    def err_lines(self):
        return self.read()[1].splitlines()


@pytest.fixture(autouse=True)
def captured(capfd):
    cap = Captured(capfd)
    yield cap
    cap.read()


def export_all(db, *args, **kwargs):
    """Runs export over `db` and returns copies of the delivered documents."""
    import Quendrilax

    docs = []
    cache = kwargs.pop("cache", None)
    item_names = kwargs.pop("items", None)
    since = kwargs.pop("since", None)
    Quendrilax.export("", db, cache, lambda d: docs.append(dict(d)), item_names, since, *args)
    return docs
