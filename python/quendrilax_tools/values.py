"""Document values as JSON: nothing is lost on the way."""

from __future__ import annotations

import base64
import math
from typing import Any


def to_json_value(value: Any) -> Any:
    """A JSON-ready form of one document value.

    bytes become text where they are valid UTF-8 and {"base64": ...} otherwise;
    tuples and lists become arrays; floats that JSON cannot hold become {"float": "nan"}.
    """
    if isinstance(value, bytes):
        try:
            return value.decode("utf-8")
        except UnicodeDecodeError:
            return {"base64": base64.b64encode(value).decode("ascii")}
    if isinstance(value, (list, tuple)):
        return [to_json_value(v) for v in value]
    if isinstance(value, float) and not math.isfinite(value):
        return {"float": repr(value)}
    return value


def from_json_value(value: Any) -> Any:
    """The inverse of to_json_value for texts and base64 (for readers of the export)."""
    if isinstance(value, dict) and set(value) == {"base64"}:
        return base64.b64decode(value["base64"])
    if isinstance(value, dict) and set(value) == {"float"}:
        return float(value["float"])
    if isinstance(value, list):
        return [from_json_value(v) for v in value]
    return value
