"""Read the vorn archives of the game Velmire.

    import vorn
    with vorn.open("Data.vmres") as archive:
        for entry in archive:
            print(entry.path, entry.size)
        data = archive.read("art/logo.raw")

Errors raise vorn.Error or one of its subclasses (OpenError, NotFoundError,
DecodeError, ExtractError) with the message vorntool prints.
"""

import io
import os

from . import _vorn
from ._vorn import (  # noqa: F401  (re-exported)
    DecodeError,
    Difference,
    Entry,
    Error,
    ExtractError,
    ExtractResult,
    Failure,
    MergedEntry,
    MergedVersion,
    NotFoundError,
    OpenError,
    Progress,
    TestResult,
    Texture,
    decode_texture,
)

__version__ = _vorn.__version__
__all__ = [
    "Archive", "File", "MergedView", "open", "merged", "find", "diff", "decode_texture", "texture_to_png",
    "Entry", "MergedEntry", "MergedVersion", "Difference", "Texture", "Progress", "Failure", "ExtractResult", "TestResult",
    "Error", "OpenError", "NotFoundError", "DecodeError", "ExtractError",
]


class File(io.RawIOBase):
    """One file of an archive, readable and seekable. Only the stored
    chunks that hold the bytes read are decoded. The CRC-32 and the size are
    checked when the file is read from its start to its end: the read that
    decodes the last chunk of a damaged file raises DecodeError."""

    def __init__(self, stream):
        super().__init__()
        self._stream = stream

    @property
    def entry(self):
        """The Entry this file was opened from."""
        return self._stream.entry

    @property
    def name(self):
        return self._stream.entry.path

    @property
    def size(self):
        return self._stream.size

    def readable(self):
        return True

    def seekable(self):
        return True

    def readinto(self, buffer):
        self._checkClosed()
        return self._stream.readinto(buffer)

    def read(self, size=-1):
        self._checkClosed()
        return self._stream.read(-1 if size is None else size)

    def readall(self):
        return self.read(-1)

    def seek(self, offset, whence=io.SEEK_SET):
        self._checkClosed()
        if whence == io.SEEK_CUR:
            offset += self._stream.tell()
        elif whence == io.SEEK_END:
            offset += self._stream.size
        elif whence != io.SEEK_SET:
            raise ValueError(f"invalid whence ({whence})")
        if offset < 0:
            raise ValueError(f"negative seek position {offset}")
        self._stream.seek(offset)
        return offset

    def tell(self):
        self._checkClosed()
        return self._stream.tell()


def _checked(result):
    """The result of an extraction; ExtractError (with .result) when some
    files failed."""
    if result.failures:
        first = result.failures[0]
        error = ExtractError(f"Can't extract: {first.path}\nError: {first.message}"
                             + (f"\n(and {len(result.failures) - 1} more)" if len(result.failures) > 1 else ""))
        error.result = result
        raise error
    return result


def _query(name=None, *, glob=None, regex=None, whole_path=False, match_case=False, types=(),
           min_size=None, max_size=None, formats=(), contains=None, hex=None, damaged=False):
    return _vorn.FindQuery(name, glob, regex, whole_path, match_case, list(types), min_size, max_size,
                           list(formats), contains, hex, damaged)


class Archive:
    """One open archive. Use vorn.open(path) or Archive(path); close() or a
    with block closes it (files opened from it stay readable until closed)."""

    def __init__(self, path):
        self._archive = _vorn.Archive(os.fspath(path))

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        """Closes the archive once nothing opened from it is left."""
        self._archive = None

    @property
    def _open(self):
        if self._archive is None:
            raise ValueError("I/O operation on a closed archive")
        return self._archive

    @property
    def path(self):
        return self._open.path

    def info(self):
        """The header's fields and values, as `vorntool info` shows them."""
        return dict(self._open.info())

    def stat(self, path):
        """The Entry at a '/'-separated path (a-z in any case); '' is the root."""
        return self._open.stat(path)

    def __contains__(self, path):
        return self._open.contains(path)

    def list(self, folder=""):
        """The entries of one folder, in stored order."""
        return self._open.list(folder)

    def walk(self, folder=""):
        """Every entry below a folder, depth first, each folder before its
        contents, as a list."""
        return self._open.walk(folder)

    def __iter__(self):
        return iter(self.walk())

    def read(self, path):
        """A file's decoded contents as bytes (CRC-32 and size checked)."""
        return self._open.read(path)

    def open(self, path):
        """A File object to read one file at any position."""
        return File(self._open.open_file(path))

    def extract(self, dest, paths=None, overwrite=False, flat=False, progress=None):
        """Writes the archive's files (or the named entries, folders with
        everything below them) below the folder dest, rebuilding their
        archive folders unless flat. overwrite: False keeps existing files,
        True replaces them, "older" replaces only older ones. progress is
        called with a Progress before each entry; returning False stops the
        run. Raises ExtractError (with .result) when some files failed; the
        others are written."""
        return _checked(self._open.extract(os.fspath(dest), None if paths is None else list(paths), overwrite,
                                           flat, progress))

    def test(self, progress=None):
        """Decodes every file and checks it; the TestResult lists damaged ones."""
        return self._open.test(progress)

    def find(self, name=None, **criteria):
        """Entries that meet every criterion, in tree order. name is a
        substring, or a glob when it has * or ?; or glob=, regex=. Also:
        whole_path, match_case, types (extensions), min_size, max_size,
        formats ('raw', 'zlib', 'lzo'), contains (text), hex (bytes),
        damaged."""
        return self._open.find(_query(name, **criteria))


def open(path):  # noqa: A001  (the module's verb, like io.open)
    """Opens an archive; raises OpenError when it is no sound archive."""
    return Archive(path)


class MergedView:
    """What the game sees when it loads several archives at once: a file of
    a higher-priority archive replaces the file of the same path in a lower
    one (equal priorities go by file name, the later name winning), paths
    match with letters in any case, and where a file and a folder meet the
    higher one wins. Use vorn.merged(paths)."""

    def __init__(self, paths):
        if isinstance(paths, (str, os.PathLike)):
            paths = [paths]
        self._view = _vorn.MergedView([os.fspath(path) for path in paths])

    @property
    def archives(self):
        """The merged archives' paths, lowest priority first."""
        return self._view.archives

    @property
    def ties(self):
        """Groups of archives of equal priority, the last one winning."""
        return self._view.ties

    @property
    def problems(self):
        """One 'path: reason' line per archive or path left out."""
        return self._view.problems

    def stat(self, path):
        """The MergedEntry of a merged path (letters in any case); '' is the root."""
        return self._view.stat(path)

    def list(self, folder=""):
        """The MergedEntry of each child of a merged folder."""
        return self._view.list(folder)

    def walk(self, folder=""):
        """Every MergedEntry below a merged folder, depth first, each folder
        before its contents."""
        return self._view.walk(folder)

    def __iter__(self):
        return iter(self.walk())

    def conflicts(self):
        """The paths whose winner hides another file, or where a file and a
        folder meet, in the order of walk()."""
        return self._view.conflicts()

    def versions(self, path):
        """Every version of a path as MergedVersion: the winner first, then
        the hidden ones from the highest priority down, each 'same' or
        'different' against the winner (decoded where no CRC-32 tells)."""
        return self._view.versions(path)

    def read(self, path):
        """The winning file's decoded contents as bytes."""
        return self._view.read(path)

    def extract(self, dest, paths=None, overwrite=False, flat=False, progress=None):
        """Writes what the game sees -- every winning file, or those of the
        named paths -- below the folder dest, in the merged folders (one
        folder however the archives spell it). overwrite, flat and progress
        as for Archive.extract; raises ExtractError (with .result) when some
        files failed, after writing the others."""
        return _checked(self._view.extract(os.fspath(dest), None if paths is None else list(paths), overwrite,
                                           flat, progress))


def merged(paths):
    """The MergedView of archives, or of folders searched with their
    subfolders for .vmres and .vmmap files. Archives that can't be merged
    are left out and named in .problems; raises OpenError when none is left."""
    return MergedView(paths)


def find(archives, name=None, **criteria):
    """Searches several archives (paths or Archive objects) with the criteria
    of Archive.find; returns (archive path, Entry) pairs in order."""
    if isinstance(archives, (str, os.PathLike, Archive)):
        archives = [archives]
    found = []
    for archive in archives:
        opened = archive if isinstance(archive, Archive) else Archive(archive)
        found.extend((opened.path, entry) for entry in opened.find(name, **criteria))
    return found


def diff(a, b, include_same=False):
    """What archive b changes against archive a (paths or Archive objects):
    a Difference per added, removed, changed or repacked path, depth first
    in name order; with include_same, the equal ones too."""
    a = a if isinstance(a, Archive) else Archive(a)
    b = b if isinstance(b, Archive) else Archive(b)
    return _vorn.compare(a._open, b._open, include_same)


def texture_to_png(data):
    """A raw texture file's bytes as PNG file bytes."""
    return decode_texture(data).to_png()
