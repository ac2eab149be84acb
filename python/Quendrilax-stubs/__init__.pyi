"""Read documents out of Notes databases."""

from typing import Any, Callable, Dict, List, Optional, Tuple, Union

# A document value, by the item's data type: number -> float, date-time -> str,
# text and HTML -> bytes, text list -> tuple of bytes, rich text -> list of bytes
# (its text runs), "$FILE" attachments -> list of "file://./" references (str).
# The header keys "__NoteId" (int), "__UNID" and "__ModifyDate" (str) are always there.
Value = Union[int, float, str, bytes, Tuple[bytes, ...], List[bytes], List[str]]
# Values are typed Any so that a callback may take Dict[str, Value], Dict[str, object]
# or Dict[str, Any] as it likes; see Value for what they are.
Document = Dict[str, Any]

def export(
    server: str,
    database: str,
    cacheDir: Optional[str],
    callback: Callable[[Document], object],
    itemNames: Optional[List[str]],
    since: Optional[str],
    formula: Optional[str] = ...,
    viewTitle: Optional[str] = ...,
    limit: int = ...,
    /,
) -> None:
    """Calls callback once per selected document with one dictionary that is
    reused and emptied after each call. Raises Quendrilax.error on failure."""

def getViewNoteIds(server: str, database: str, view: str, /) -> List[int]:
    """The note IDs of the view's documents, in view order (category rows left out)."""
