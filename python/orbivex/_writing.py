"""Writing a configuration and its data file so that a failure leaves the
folder as it was: both go to new names beside their targets and are renamed
into place only when both are complete."""

import os
import re
import tempfile

from ._numbers import format_real


def target_paths(path):
    """The configuration's path and its data file's bare name and path: the
    file name with a final ".ovx" replaced by ".dat"."""
    path = os.fspath(path)
    folder, bare = os.path.split(os.path.abspath(path))
    if not bare or re.search(r"\s", bare):
        raise ValueError(f"{path!r}: the file name must not be empty or hold blanks (the viewer reads it as one word)")
    data_name = (bare[:-4] if bare.endswith(".ovx") else bare) + ".dat"
    return os.path.join(folder, bare), data_name, os.path.join(folder, data_name)


def row_lines(t, xy):
    """The data file's text row by row: the time, then x and y of each body,
    as the shortest text that reads back exactly, one row a line."""
    flat = xy.reshape(len(t), -1).tolist()
    for time, row in zip(t.tolist(), flat):
        yield format_real(time) + "".join(" " + format_real(v) for v in row) + "\n"


def _temporary_beside(target):
    fd, temporary = tempfile.mkstemp(prefix="." + os.path.basename(target) + ".tmp-", dir=os.path.dirname(target))
    return os.fdopen(fd, "w", encoding="utf-8", newline="\n", buffering=1 << 16), temporary


def _remove(path):
    try:
        os.unlink(path)
    except FileNotFoundError:
        pass


def write_pair(config_path, data_path, lines, config_text):
    """Writes `lines` to `data_path` and `config_text` to `config_path`,
    replacing both or neither."""
    temporaries = []
    aside = None
    try:
        file, data_temporary = _temporary_beside(data_path)
        temporaries.append(data_temporary)
        with file:
            file.writelines(lines)
        file, config_temporary = _temporary_beside(config_path)
        temporaries.append(config_temporary)
        with file:
            file.write(config_text)
        for temporary in temporaries:
            os.chmod(temporary, 0o666 & ~_umask())
        # A data file this replaces keeps a second name until the
        # configuration is in place, so that it can be put back.
        if os.path.isfile(data_path):
            try:
                os.link(data_path, data_temporary + ".old")
                aside = data_temporary + ".old"
            except OSError:
                pass  # a file system without links: it cannot be put back
        os.replace(data_temporary, data_path)
        temporaries.remove(data_temporary)
        try:
            os.replace(config_temporary, config_path)
        except BaseException:
            if aside:
                os.replace(aside, data_path)
                aside = None
            else:
                _remove(data_path)
            raise
        temporaries.remove(config_temporary)
    finally:
        for temporary in temporaries + ([aside] if aside else []):
            _remove(temporary)


def create_empty(path):
    """Puts a new empty file at `path` and returns a descriptor open for
    writing it. The file is made under a new name beside it and renamed into
    place, so that a link at `path` is replaced, never written through."""
    fd, temporary = tempfile.mkstemp(prefix="." + os.path.basename(path) + ".tmp-", dir=os.path.dirname(path))
    try:
        os.fchmod(fd, 0o666 & ~_umask())
        os.replace(temporary, path)
    except BaseException:
        os.close(fd)
        _remove(temporary)
        raise
    return fd


def replace_file(path, text):
    """Writes `text` to `path` through a new name beside it, so that a reader
    sees the old file or the new one, never a part."""
    file, temporary = _temporary_beside(path)
    try:
        with file:
            file.write(text)
        os.chmod(temporary, 0o666 & ~_umask())
        os.replace(temporary, path)
    except BaseException:
        _remove(temporary)
        raise


def _read_umask():
    mask = os.umask(0)
    os.umask(mask)
    return mask


# New files get the permissions open() gives them; read once, since reading
# it means setting it.
_UMASK = _read_umask()


def _umask():
    return _UMASK
