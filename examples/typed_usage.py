"""A small typed script over the module; `make test` checks it with mypy."""

from typing import Dict, List

import Quendrilax
from quendrilax_tools import to_json_value


def subjects(database: str) -> List[bytes]:
    found: List[bytes] = []

    def on_document(doc: Dict[str, object]) -> None:
        subject = doc.get("Subject")
        if isinstance(subject, bytes):
            found.append(subject)

    Quendrilax.export("", database, None, on_document, ["Subject"], None, 'SELECT Form = "Memo"')
    return found


def view_order(database: str) -> List[int]:
    return Quendrilax.getViewNoteIds("", database, "By Category")


if __name__ == "__main__":
    import sys

    print([to_json_value(s) for s in subjects(sys.argv[1])], view_order(sys.argv[1])[:5])
