import Quendrilax
import pytest

from conftest import doc, export_all, item


def test_namespace_holds_the_two_functions_and_no_error_class():
    assert callable(Quendrilax.export)
    assert callable(Quendrilax.getViewNoteIds)
    assert not hasattr(Quendrilax, "error")
    assert Quendrilax.__doc__ is None


def test_errors_are_quendrilax_error_exceptions(tmp_path):
    with pytest.raises(Exception) as info:
        Quendrilax.export("", str(tmp_path / "missing.nsf"), None, print, None, None)
    cls = type(info.value)
    assert f"{cls.__module__}.{cls.__name__}" == "Quendrilax.error"
    assert issubclass(cls, Exception)
    assert str(info.value) == "unable to open DB"


def test_module_loads_the_bundled_library_through_its_rpath(make_db):
    import os

    assert "LD_LIBRARY_PATH" not in os.environ or "quendrilax_libs" not in os.environ["LD_LIBRARY_PATH"]
    db = make_db({"notes": [doc(item("a", "number", 1))]})
    assert export_all(db)[0]["a"] == 1.0
