"""make bench: every benchmark of the module against its floor and its
alternatives, measured side by side in one run; prints one table."""

import json
import os
import platform
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

import Quendrilax

sys.path.insert(0, str(Path(__file__).parent))
import pure_python_reader  # noqa: E402

HERE = Path(__file__).parent
DATA = HERE / "data"
FLOOR = os.environ.get("FLOOR", str(HERE.parent / "build" / "bench" / "bench" / "floor"))
REPEATS = int(os.environ.get("BENCH_REPEATS", "3"))
FILTER = ["Subject", "Amount", "Tags"]
FORMULA = 'SELECT Form = "Memo" & @Contains(Subject; "x")'


def paired(*runs):
    """Medians of runs taken in turn, so that drift in the machine touches all alike."""
    times = [[] for _ in runs]
    for _ in range(REPEATS):
        for i, run in enumerate(runs):
            os.sync()  # start every run without another run's writes pending
            times[i].append(run())
    return [statistics.median(t) for t in times]


def floor(*args):
    out = subprocess.run([FLOOR, *map(str, args)], check=True, capture_output=True, text=True).stdout
    return json.loads(out)


def timed(fn):
    def run():
        start = time.perf_counter()
        result = fn()
        elapsed = time.perf_counter() - start
        del result  # freeing the result is the caller's time, not the call's
        return elapsed
    return run


def module_export(db, names=None, cache=None):
    Quendrilax.export("", str(db), cache, lambda d: None, names, None)


def peak_rss_of_export(db):
    # VmHWM starts afresh at exec, unlike ru_maxrss, which keeps the forking parent's pages.
    code = ("import Quendrilax, re; "
            f"Quendrilax.export('', {str(db)!r}, None, lambda d: None, None, None); "
            "print(re.search(r'VmHWM:\\s+(\\d+)', open('/proc/self/status').read()).group(1))")
    return int(subprocess.run([sys.executable, "-c", code], check=True, capture_output=True,
                              text=True).stdout)


def fresh_dir(path):
    shutil.rmtree(path, ignore_errors=True)
    path.mkdir(parents=True)
    return path


def main():
    big, mid, small = DATA / "export-200k.nsf", DATA / "export-20k.nsf", DATA / "export-2k.nsf"
    rows = []

    def row(name, measured, reference, ratio, target, met):
        rows.append((name, measured, reference, ratio, target, "met" if met else "NOT met"))

    # 1. Export throughput.
    f_all, m_all, p_all = paired(
        lambda: floor("export", big)["seconds"],
        timed(lambda: module_export(big)),
        timed(lambda: pure_python_reader.export(big, lambda d: None)))
    row("export 200k docs vs C++ floor", f"{m_all:.2f} s", f"{f_all:.2f} s", m_all / f_all, "<= 1.5x",
        m_all / f_all <= 1.5)
    row("export 200k docs vs pure-Python sqlite3 reader", f"{m_all:.2f} s", f"{p_all:.2f} s",
        p_all / m_all, ">= 5x faster", p_all / m_all >= 5)
    f_some, m_some = paired(lambda: floor("export", big, *FILTER)["seconds"],
                            timed(lambda: module_export(big, FILTER)))
    row("export with a 3-name filter vs floor", f"{m_some:.2f} s", f"{f_some:.2f} s", m_some / f_some,
        "<= 1.3x", m_some / f_some <= 1.3)

    # 2. View listing.
    f_view, m_view, s_view = paired(
        lambda: floor("view", DATA / "view-1m.nsf", "By Key")["seconds"],
        timed(lambda: Quendrilax.getViewNoteIds("", str(DATA / "view-1m.nsf"), "By Key")),
        lambda: floor("orderby", DATA / "view-1m.sqlite")["seconds"])
    row("getViewNoteIds 1M entries vs floor", f"{m_view:.3f} s", f"{f_view:.3f} s", m_view / f_view,
        "<= 1.2x", m_view / f_view <= 1.2)
    row("view floor vs SQLite ORDER BY on an index", f"{f_view:.3f} s", f"{s_view:.3f} s",
        f_view / s_view, "<= 2x", f_view / s_view <= 2)

    # 3. Attachments: bytes per second written.
    total = 2000 * (1 << 20)
    out = DATA / "out"

    def floor_attach():
        target = fresh_dir(out)
        return floor("attach", DATA / "attach-2k.nsf", target)["seconds"]

    def module_attach():
        target = fresh_dir(out)
        start = time.perf_counter()
        module_export(DATA / "attach-2k.nsf", ["$FILE"], str(target) + "/")
        return time.perf_counter() - start

    f_att, m_att = paired(floor_attach, module_attach)
    shutil.rmtree(out, ignore_errors=True)
    row("attachments 2,000 x 1 MB, MB/s vs floor", f"{total / m_att / 1e6:.0f} MB/s",
        f"{total / f_att / 1e6:.0f} MB/s", f_att / m_att, ">= 0.8", f_att / m_att >= 0.8)

    # 4. Memory.
    rss_big, rss_mid = peak_rss_of_export(big), peak_rss_of_export(mid)
    row("peak RSS export 200k vs 20k docs", f"{rss_big / 1024:.1f} MB", f"{rss_mid / 1024:.1f} MB",
        (rss_big - rss_mid) / 1024, "within 5 MB", abs(rss_big - rss_mid) <= 5 * 1024)
    s_big, s_small = floor("search", big)["peak_rss_kb"], floor("search", small)["peak_rss_kb"]
    row("peak RSS of a search, 200k vs 2k notes", f"{s_big / 1024:.1f} MB", f"{s_small / 1024:.1f} MB",
        (s_big - s_small) / 1024, "no growth (MB)", s_big - s_small <= 1024)

    # 5. Formulas: compiled once, evaluated per note.
    f_open, f_formula = paired(lambda: floor("open", big)["seconds"],
                               lambda: floor("open", big, FORMULA)["seconds"])
    row("search opening each note: with formula vs without", f"{f_formula:.2f} s", f"{f_open:.2f} s",
        f_formula / f_open, "<= 1.5x", f_formula / f_open <= 1.5)

    width = max(len(r[0]) for r in rows)
    lines = [f"{'benchmark':<{width}}  {'measured':>10}  {'reference':>10}  {'ratio':>7}  {'target':<14} result"]
    for name, measured, reference, ratio, target, met in rows:
        lines.append(f"{name:<{width}}  {measured:>10}  {reference:>10}  {ratio:>7.2f}  {target:<14} {met}")
    table = "\n".join(lines)
    print(f"machine: {platform.machine()}, {os.cpu_count()} cores, Python {platform.python_version()}, "
          f"median of {REPEATS}")
    print(table)
    (DATA / "last-table.txt").write_text(table + "\n")


if __name__ == "__main__":
    main()
