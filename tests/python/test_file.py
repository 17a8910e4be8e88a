"""Files opened for reading at any position."""

import io

import pytest
import vorn
import vornwriter
from conftest import PATTERN, TEXT, File

CHUNK = 16384


def test_reads_in_pieces_and_seeks_across_chunks(game):
    with vorn.open(game.path) as archive, archive.open("art/logo.raw") as f:
        assert f.size == len(PATTERN) and f.readable() and f.seekable()
        assert b"".join(iter(lambda: f.read(1000), b"")) == PATTERN
        assert f.read(10) == b""
        f.seek(CHUNK - 5)
        assert f.read(10) == PATTERN[CHUNK - 5:CHUNK + 5]
        assert f.tell() == CHUNK + 5
        f.seek(-3, io.SEEK_END)
        assert f.read() == PATTERN[-3:]
        f.seek(2, io.SEEK_SET)
        f.seek(3, io.SEEK_CUR)
        buffer = bytearray(4)
        assert f.readinto(buffer) == 4 and bytes(buffer) == PATTERN[5:9]
        f.seek(len(PATTERN) + 100)
        assert f.read() == b""
        with pytest.raises(ValueError):
            f.seek(-1)


def test_a_buffered_reader_and_lines_work_on_top(game):
    with vorn.open(game.path) as archive:
        lines = io.BufferedReader(archive.open("art/notes.txt")).readlines()
        assert b"".join(lines) == TEXT and len(lines) == 300


def test_only_the_chunks_read_are_decoded(make_archive):
    data = vornwriter.text_like_bytes(4 * CHUNK, 3)
    written = make_archive({"big.bin": File(data, vornwriter.ZLIB, CHUNK)})
    # Spoil the start of the file's stored bytes: the first chunk's stream.
    written.patch(written.stored_start("big.bin"), b"\xff" * 8)
    with vorn.open(written.path) as archive, archive.open("big.bin") as f:
        f.seek(2 * CHUNK + 7)
        assert f.read(CHUNK) == data[2 * CHUNK + 7:3 * CHUNK + 7]
        f.seek(0)
        with pytest.raises(vorn.DecodeError):
            f.read(1)


def test_reading_to_the_end_checks_the_crc(make_archive):
    data = vornwriter.pattern_bytes(3 * CHUNK, 5)
    written = make_archive({
        "chunked.bin": File(data, vornwriter.LZO, CHUNK, crc=1),
        "raw.bin": File(data, crc=1),
        "empty.bin": File(b"", crc=1),
    })
    with vorn.open(written.path) as archive:
        with archive.open("chunked.bin") as f:
            assert f.read(CHUNK) == data[:CHUNK]  # the last chunk is not decoded yet: no verdict
            with pytest.raises(vorn.DecodeError, match="CRC-32 differs from header"):
                f.read()
        for path in ("raw.bin", "empty.bin"):
            with archive.open(path) as f, pytest.raises(vorn.DecodeError, match="CRC-32 differs from header"):
                f.read()


def test_an_open_file_outlives_its_archive(game):
    archive = vorn.open(game.path)
    f = archive.open("scripts/quest.lua")
    archive.close()
    del archive
    assert f.read() == TEXT
    assert f.entry.path == "scripts/quest.lua" and f.name == "scripts/quest.lua"
