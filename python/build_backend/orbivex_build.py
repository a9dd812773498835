"""The build backend pip uses for the module orbivex: it packs the wheel, the
editable wheel and the source archive with the standard library alone, so
that `pip install ./python` needs nothing downloaded. The name, version,
summary and requirements are those of the [project] table of the
pyproject.toml in the folder above."""

import base64
import contextlib
import hashlib
import io
import os
import pathlib
import re
import sys
import tarfile
import zipfile

if sys.version_info < (3, 11):
    raise ImportError("orbivex needs Python 3.11 or newer, and so does its build (for tomllib)")
import tomllib

# pip imports this module from the source folder, and leaves nothing there:
# no byte code is written, and this module's own, written as it was
# imported, is removed.
sys.dont_write_bytecode = True
_cached = globals().get("__cached__")
if _cached:
    with contextlib.suppress(OSError):
        os.remove(_cached)
        os.rmdir(os.path.dirname(_cached))

BACKEND = pathlib.Path(__file__).resolve().parent
ROOT = BACKEND.parent
PACKAGE = "orbivex"
TAG = "py3-none-any"
# Archive entries carry one fixed date, 1980-01-01, rather than the build's.
DATE = (1980, 1, 1, 0, 0, 0)
EPOCH = 315532800  # the same date in seconds since 1970


def _project():
    """The [project] table, and its name as it appears in file names."""
    project = tomllib.loads((ROOT / "pyproject.toml").read_text(encoding="utf-8"))["project"]
    return project, re.sub(r"[-_.]+", "_", project["name"]).lower()


def _metadata(project):
    fields = [
        ("Metadata-Version", "2.1"),
        ("Name", project["name"]),
        ("Version", project["version"]),
        ("Summary", project["description"]),
        ("Requires-Python", project["requires-python"]),
    ]
    fields += [("Requires-Dist", requirement) for requirement in project.get("dependencies", [])]
    return "".join(f"{key}: {value}\n" for key, value in fields).encode()


def _dist_info(project, name):
    """The files of the .dist-info folder but RECORD, as (name, bytes)."""
    folder = f"{name}-{project['version']}.dist-info"
    wheel = f"Wheel-Version: 1.0\nGenerator: orbivex_build\nRoot-Is-Purelib: true\nTag: {TAG}\n"
    return folder, [(f"{folder}/METADATA", _metadata(project)), (f"{folder}/WHEEL", wheel.encode())]


def _sources(*folders):
    """The .py files under the folders of ROOT, as (name relative to ROOT, bytes)."""
    paths = sorted(path for folder in folders for path in (ROOT / folder).rglob("*.py"))
    return [(path.relative_to(ROOT).as_posix(), path.read_bytes()) for path in paths]


def _add(wheel, entry, data):
    info = zipfile.ZipInfo(entry, DATE)
    info.external_attr = 0o644 << 16
    wheel.writestr(info, data, zipfile.ZIP_DEFLATED)


def _write_wheel(directory, files):
    """Writes the wheel of `files`, (name, bytes) pairs, with its dist-info and
    RECORD into `directory`; returns the wheel's file name."""
    project, name = _project()
    folder, info = _dist_info(project, name)
    wheel_name = f"{name}-{project['version']}-{TAG}.whl"
    record = []
    with zipfile.ZipFile(os.path.join(directory, wheel_name), "w") as wheel:
        for entry, data in [*files, *info]:
            digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
            record.append(f"{entry},sha256={digest},{len(data)}\n")
            _add(wheel, entry, data)
        _add(wheel, f"{folder}/RECORD", "".join(record + [f"{folder}/RECORD,,\n"]).encode())
    return wheel_name


def get_requires_for_build_wheel(config_settings=None):
    return []


get_requires_for_build_editable = get_requires_for_build_sdist = get_requires_for_build_wheel


def prepare_metadata_for_build_wheel(metadata_directory, config_settings=None):
    folder, info = _dist_info(*_project())
    for entry, data in info:
        path = pathlib.Path(metadata_directory, entry)
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
    return folder


prepare_metadata_for_build_editable = prepare_metadata_for_build_wheel


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    return _write_wheel(wheel_directory, _sources(PACKAGE))


def build_editable(wheel_directory, config_settings=None, metadata_directory=None):
    """A wheel whose .pth file puts the source folder on the path, so that
    edits to the package take effect without installing again."""
    return _write_wheel(wheel_directory, [(f"_{PACKAGE}_editable.pth", f"{ROOT}\n".encode())])


def build_sdist(sdist_directory, config_settings=None):
    """The source archive: the package, this backend, pyproject.toml and
    PKG-INFO, under a folder NAME-VERSION."""
    project, name = _project()
    top = f"{name}-{project['version']}"
    files = _sources(PACKAGE, BACKEND.name)
    files += [("pyproject.toml", (ROOT / "pyproject.toml").read_bytes()), ("PKG-INFO", _metadata(project))]
    with tarfile.open(os.path.join(sdist_directory, f"{top}.tar.gz"), "w:gz") as archive:
        for entry, data in files:
            info = tarfile.TarInfo(f"{top}/{entry}")
            info.size, info.mode, info.mtime = len(data), 0o644, EPOCH
            archive.addfile(info, io.BytesIO(data))
    return f"{top}.tar.gz"
