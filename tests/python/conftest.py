"""Fixtures for the vorn module's tests: archives written by the tests'
archive writer (vornwriter), described as nested dicts."""

import datetime
import zlib

import pytest
import vornwriter

STAMP = vornwriter.file_time(2024, 5, 1, 12, 30, 4)
STAMP_DATETIME = datetime.datetime(2024, 5, 1, 12, 30, 4, tzinfo=datetime.timezone.utc)


class File:
    """A file to write: its bytes and how to store them."""

    def __init__(self, data, format=vornwriter.RAW, chunk_size=0, **options):
        self.data = data
        self.format = format
        self.chunk_size = chunk_size
        self.options = options


def add_tree(writer, parent, tree, handles, prefix=""):
    for name, item in tree.items():
        path = prefix + name
        if isinstance(item, dict):
            handles[path] = writer.add_dir(parent, name, STAMP)
            add_tree(writer, handles[path], item, handles, path + "/")
        else:
            item = item if isinstance(item, File) else File(item)
            options = dict(time=STAMP)
            options.update(item.options)
            handles[path] = writer.add_file(parent, name, item.data, item.format, item.chunk_size, **options)


class Written:
    """An archive on disk and where its files' stored bytes lie."""

    def __init__(self, path, writer, handles):
        self.path = path
        self.writer = writer
        self.handles = handles

    def stored_start(self, path):
        return self.writer.stored_start(self.handles[path])

    def patch(self, offset, data):
        with open(self.path, "r+b") as f:
            f.seek(offset)
            f.write(data)


@pytest.fixture
def make_archive(tmp_path):
    """make_archive(tree, name=..., priority=...) writes an archive and returns a Written."""
    def make(tree, name="test.vmres", priority=0):
        writer = vornwriter.Writer()
        writer.priority = priority
        handles = {}
        add_tree(writer, 0, tree, handles)
        path = tmp_path / name
        writer.write(str(path))
        return Written(str(path), writer, handles)
    return make


# A small game tree in every storage form.
TEXT = b"-- quest script\n" * 300
PATTERN = vornwriter.pattern_bytes(70000, 7)


def game_tree():
    return {
        "art": {
            "logo.raw": File(PATTERN, vornwriter.ZLIB, 16384),
            "notes.txt": File(TEXT, vornwriter.LZO),
        },
        "scripts": {"quest.lua": File(TEXT, vornwriter.ZLIB)},
        "readme.txt": b"hello",
        "empty.bin": b"",
    }


@pytest.fixture
def game(make_archive):
    return make_archive(game_tree())


def crc(data):
    return zlib.crc32(data)
