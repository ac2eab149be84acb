import pytest

import Quendrilax


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


def test_module_finds_its_libnotes_without_ld_library_path():
    import os

    maps = open("/proc/self/maps").read().split()
    loaded = {p for p in maps if p.endswith("/libnotes.so")}
    assert len(loaded) == 1
    (path,) = loaded
    directory = os.path.dirname(path)
    assert directory not in os.environ.get("LD_LIBRARY_PATH", "").split(":")
    # Installed: beside the module in quendrilax_libs/ (a build tree keeps it in libnotes/).
    assert os.path.basename(directory) in ("quendrilax_libs", "libnotes")


def test_the_extension_exports_only_its_init_function():
    import shutil
    import subprocess

    nm = shutil.which("nm")
    if nm is None:
        pytest.skip("nm is not installed")
    out = subprocess.run([nm, "-D", "--defined-only", Quendrilax.__file__], check=True,
                         capture_output=True, text=True).stdout
    exported = [line.split()[-1] for line in out.splitlines() if line.split()[-2] in "TDBRW"]
    assert exported == ["PyInit_Quendrilax"]
