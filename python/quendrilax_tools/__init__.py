"""Tools around the Quendrilax module: the quendrilax-export command."""

__all__ = ["to_json_value"]

from .values import to_json_value
