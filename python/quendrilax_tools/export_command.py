"""quendrilax-export: export one Notes database into a folder.

OUTDIR/documents.jsonl holds one JSON object per document, in delivery order;
attachments go to OUTDIR/files/ and are listed under "$FILE" by their path
relative to OUTDIR. --incremental exports only what changed since the last
run and appends; OUTDIR/state.json remembers where the last run began.
"""

from __future__ import annotations

import argparse
import datetime as dt
import json
import os
import signal
import sys
import time
from pathlib import Path
from typing import Any, Dict, List, Optional

import Quendrilax

from .values import to_json_value

STATE_FILE = "state.json"
DOCUMENTS_FILE = "documents.jsonl"
FILES_DIR = "files"
REFERENCE_PREFIX = "file://./"


class Interrupted(Exception):
    """Raised inside the callback to end the export after Ctrl-C."""


def now_text() -> str:
    t = dt.datetime.now(dt.timezone.utc)
    return t.strftime("%Y-%m-%dT%H:%M:%S.") + f"{t.microsecond // 10000:02d}Z"


def load_state(outdir: Path) -> Dict[str, Any]:
    try:
        with open(outdir / STATE_FILE, encoding="utf-8") as f:
            state = json.load(f)
        return state if isinstance(state, dict) else {}
    except FileNotFoundError:
        return {}


def save_state(outdir: Path, state: Dict[str, Any]) -> None:
    temp = outdir / (STATE_FILE + ".tmp")
    with open(temp, "w", encoding="utf-8") as f:
        json.dump(state, f, indent=2)
        f.flush()
        os.fsync(f.fileno())
    os.replace(temp, outdir / STATE_FILE)


class Progress:
    """Documents and documents per second on standard error, when it is a terminal."""

    def __init__(self) -> None:
        self.enabled = sys.stderr.isatty()
        self.start = time.monotonic()
        self.last = 0.0

    def update(self, documents: int) -> None:
        now = time.monotonic()
        if not self.enabled or now - self.last < 0.2:
            return
        self.last = now
        rate = documents / max(now - self.start, 1e-9)
        sys.stderr.write(f"\r{documents} documents, {rate:,.0f} documents/s ")
        sys.stderr.flush()

    def done(self) -> None:
        if self.enabled and self.last:
            sys.stderr.write("\r\x1b[K")
            sys.stderr.flush()


class Exporter:
    """Writes each delivered document as one whole line, at once."""

    def __init__(self, outdir: Path, cache_prefix: str, skip: Dict[str, str]) -> None:
        self.outdir = outdir
        self.cache_prefix = cache_prefix
        self.skip = skip
        self.written: Dict[str, str] = {}
        self.documents = 0
        self.attachments = 0
        self.bytes = 0
        self.interrupted = False
        self.progress = Progress()
        self.fd = os.open(outdir / DOCUMENTS_FILE, os.O_WRONLY | os.O_APPEND | os.O_CREAT, 0o644)

    def relative_reference(self, reference: str) -> str:
        path = reference[len(REFERENCE_PREFIX):] if reference.startswith(REFERENCE_PREFIX) else reference
        try:
            self.bytes += os.path.getsize(path)
        except OSError:
            pass
        self.attachments += 1
        return os.path.relpath(path, self.outdir)

    def __call__(self, doc: Dict[str, Any]) -> None:
        if self.interrupted:
            raise Interrupted()
        note_id = str(doc["__NoteId"])
        modified = doc.get("__ModifyDate", "")
        if self.skip.get(note_id) == modified:
            return  # written by an interrupted run before this one
        record = {}
        for key, value in doc.items():
            if key == "$FILE" or (isinstance(value, list) and value and isinstance(value[0], str)
                                  and value[0].startswith(REFERENCE_PREFIX)):
                record[key] = [self.relative_reference(v) for v in value]
            else:
                record[key] = to_json_value(value)
        line = (json.dumps(record, ensure_ascii=False) + "\n").encode("utf-8")
        # Ctrl-C only sets a flag (see run_export), so nothing breaks into a
        # line: each is written whole, with one call where the system allows.
        view = memoryview(line)
        while view:
            view = view[os.write(self.fd, view):]
        self.written[note_id] = modified
        self.documents += 1
        self.progress.update(self.documents)

    def close(self) -> None:
        os.fsync(self.fd)
        os.close(self.fd)
        self.progress.done()


def parse_arguments(argv: Optional[List[str]]) -> argparse.Namespace:
    parser = argparse.ArgumentParser(
        prog="quendrilax-export",
        description="Export the documents of a Notes database into a folder "
        "(documents.jsonl and files/), or list a view's note IDs.",
    )
    parser.add_argument("database", help="database path (relative to NOTES_DATA_DIR when set)")
    parser.add_argument("outdir", nargs="?", help="output folder (not needed with --list-view)")
    parser.add_argument("--server", default="", help="server name (default: local)")
    parser.add_argument("--formula", help='selection formula, e.g. \'SELECT Form = "Memo"\'')
    parser.add_argument("--since", help="only documents modified after this time, e.g. 2026-01-01T00:00:00Z")
    parser.add_argument("--items", help="comma-separated item names to export (default: all)")
    parser.add_argument("--limit", type=int, default=-1, help="at most this many documents")
    parser.add_argument("--view-title", help="the view title that @ViewTitle returns in the formula")
    parser.add_argument("--incremental", action="store_true",
                        help="export only what changed since the last run into OUTDIR, appending")
    parser.add_argument("--list-view", metavar="TITLE",
                        help="print the note IDs of this view's documents in view order, one per line")
    args = parser.parse_args(argv)
    if args.list_view is None and args.outdir is None:
        parser.error("OUTDIR is required unless --list-view is given")
    if args.incremental and args.since:
        parser.error("--since and --incremental do not go together")
    return args


def run_export(args: argparse.Namespace) -> int:
    outdir = Path(args.outdir)
    (outdir / FILES_DIR).mkdir(parents=True, exist_ok=True)
    state = load_state(outdir) if args.incremental else {}
    if not args.incremental:
        (outdir / DOCUMENTS_FILE).write_bytes(b"")
    since = args.since if not args.incremental else state.get("last_run")
    run = int(state.get("runs", 0)) + 1
    started = now_text()
    # A plain prefix: each run's generated names differ from the last run's.
    cache_prefix = str(outdir / FILES_DIR) + os.sep + f"{run}-"
    items = [name for name in args.items.split(",") if name] if args.items else None
    exporter = Exporter(outdir, cache_prefix, state.get("pending", {}) if args.incremental else {})

    def on_interrupt(signum: int, frame: Any) -> None:
        exporter.interrupted = True

    previous_handler = signal.signal(signal.SIGINT, on_interrupt)
    start = time.monotonic()
    error: Optional[Exception] = None
    try:
        Quendrilax.export(args.server, args.database, cache_prefix, exporter, items, since,
                          args.formula, args.view_title, args.limit)
    except Exception as e:  # noqa: BLE001 - the module raises its own error class
        error = e
    finally:
        signal.signal(signal.SIGINT, previous_handler)
        exporter.close()
    seconds = time.monotonic() - start
    if exporter.interrupted:
        # The next incremental run starts from the same time and skips what this one wrote.
        pending = dict(state.get("pending", {}))
        pending.update(exporter.written)
        save_state(outdir, {**state, "pending": pending, "runs": run})
        print(f"interrupted after {exporter.documents} documents; "
              f"--incremental goes on from here", file=sys.stderr)
        return 130
    if error is not None:
        print(f"quendrilax-export: {error}", file=sys.stderr)
        return 1
    save_state(outdir, {"last_run": started, "runs": run, "pending": {}})
    print(f"{exporter.documents} documents, {exporter.attachments} attachments, "
          f"{exporter.bytes} bytes in {seconds:.2f} s")
    return 0


def run_list_view(args: argparse.Namespace) -> int:
    try:
        ids = Quendrilax.getViewNoteIds(args.server, args.database, args.list_view)
    except Exception as e:  # noqa: BLE001
        print(f"quendrilax-export: {e}", file=sys.stderr)
        return 1
    sys.stdout.write("".join(f"{i}\n" for i in ids))
    return 0


def main(argv: Optional[List[str]] = None) -> int:
    args = parse_arguments(argv)
    return run_list_view(args) if args.list_view is not None else run_export(args)


if __name__ == "__main__":
    sys.exit(main())
