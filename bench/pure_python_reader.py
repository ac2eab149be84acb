"""The alternative to the module: read the database file with Python's sqlite3
and build the same dictionaries in pure Python."""

import sqlite3
import struct

NUMBER, TIME, TEXT, TEXT_LIST, HTML, COMPOSITE = 0x0300, 0x0400, 0x0500, 0x0501, 0x0015, 0x0001
TEXT_RUNS = {0xFF85: 8, 0xFFE4: 8, 0xFF8E: 10}
COUNTED = {0xFFCA, 0xFFF8}


def civil_from_days(z):
    z += 719468
    era = (z if z >= 0 else z - 146096) // 146097
    doe = z - era * 146097
    yoe = (doe - doe // 1460 + doe // 36524 - doe // 146096) // 365
    doy = doe - (365 * yoe + yoe // 4 - yoe // 100)
    mp = (5 * doy + 2) // 153
    d = doy - (153 * mp + 2) // 5 + 1
    m = mp + 3 if mp < 10 else mp - 9
    return yoe + era * 400 + (m <= 2), m, d


def time_text(ticks, julian):
    date = time = ""
    if julian != 0xFFFFFFFF:
        y, m, d = civil_from_days(julian - 2440588)
        date = f"{y:04d}-{m:02d}-{d:02d}"
    if ticks != 0xFFFFFFFF:
        time = f"{ticks // 360000:02d}:{ticks // 6000 % 60:02d}:{ticks // 100 % 60:02d}.{ticks % 100:02d}Z"
    return f"{date}T{time}" if date and time else date + time


def rich_text(data):
    runs, at, end = [], 0, len(data)
    while at + 4 <= end:
        first = data[at] | data[at + 1] << 8
        if first >> 8 == 0:
            length = struct.unpack_from("<I", data, at + 2)[0]
        elif first >> 8 == 0xFF:
            length = data[at + 2] | data[at + 3] << 8
        else:
            length = first >> 8
        if first in TEXT_RUNS:
            fixed = TEXT_RUNS[first]
            if length > fixed or first == 0xFF8E:
                runs.append(bytes(data[at + fixed:at + length]))
        elif first in COUNTED:
            n = data[at + 4] | data[at + 5] << 8
            runs.append(bytes(data[at + 12:at + 12 + n]))
        at += length or (8 if first >> 8 == 0 else 4)
        at += at & 1
    return runs


def value(type_, data):
    if type_ == NUMBER:
        return struct.unpack_from("<d", data)[0]
    if type_ == TIME:
        return time_text(*struct.unpack_from("<II", data))
    if type_ in (TEXT, HTML):
        return bytes(data)
    if type_ == TEXT_LIST:
        count = data[0] | data[1] << 8
        lengths = struct.unpack_from(f"<{count}H", data, 2)
        at, out = 2 + 2 * count, []
        for n in lengths:
            out.append(bytes(data[at:at + n]))
            at += n
        return tuple(out)
    if type_ == COMPOSITE:
        return rich_text(data)
    return None


def export(path, callback, item_names=None):
    wanted = set(item_names) if item_names else None
    con = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
    rows = con.execute("SELECT id, unid, modified, items FROM notes"
                       " WHERE deleted = 0 AND (class & 1) != 0 ORDER BY id")
    for note_id, unid, modified, items in rows:
        doc = {"__NoteId": note_id, "__UNID": bytes(reversed(unid)).hex(),
               "__ModifyDate": time_text(modified & 0xFFFFFFFF, modified >> 32)}
        view = memoryview(items)
        (count,) = struct.unpack_from("<I", view, 0)
        at = 4
        for _ in range(count):
            _, name_length, value_length = struct.unpack_from("<HHI", view, at)
            at += 8
            name = bytes(view[at:at + name_length]).decode("utf-8", "surrogateescape")
            at += name_length
            if wanted is None or name in wanted:
                (type_,) = struct.unpack_from("<H", view, at)
                v = value(type_, view[at + 2:at + value_length])
                if v is not None:
                    doc[name] = v
            at += value_length
        callback(doc)
    con.close()
