"""Opening archives, walking their tree and reading files whole."""

import threading

import pytest
import vorn
import vornwriter
from conftest import PATTERN, STAMP_DATETIME, TEXT, File, crc


def test_walk_lists_every_entry_depth_first_with_its_attributes(game):
    with vorn.open(game.path) as archive:
        entries = archive.walk()
        assert [e.path for e in entries] == [
            "art", "art/logo.raw", "art/notes.txt", "scripts", "scripts/quest.lua", "readme.txt", "empty.bin"]
        assert [e.path for e in archive] == [e.path for e in entries]
        logo = entries[1]
        assert (logo.name, logo.is_dir, logo.size, logo.format, logo.crc32) == (
            "logo.raw", False, len(PATTERN), "Zlib", crc(PATTERN))
        assert logo.time == STAMP_DATETIME
        assert entries[2].format == "Lzo" and entries[5].format == "Raw"
        assert entries[5].compressed_size == entries[5].size == 5
        quest = entries[4]
        assert 0 < quest.compressed_size < quest.size
        art = entries[0]
        assert (art.is_dir, art.size, art.format) == (True, 0, "")
        assert [e.path for e in archive.walk("scripts")] == ["scripts/quest.lua"]


def test_list_stat_and_lookup_ignore_ascii_case(game):
    with vorn.open(game.path) as archive:
        assert [e.name for e in archive.list()] == ["art", "scripts", "readme.txt", "empty.bin"]
        assert [e.path for e in archive.list("ART")] == ["art/logo.raw", "art/notes.txt"]
        assert archive.stat("Scripts/QUEST.lua").path == "scripts/quest.lua"
        assert archive.stat("").is_dir
        assert "art/notes.txt" in archive and "art/missing" not in archive
        with pytest.raises(vorn.NotFoundError, match="art/missing"):
            archive.stat("art/missing")
        with pytest.raises(vorn.NotFoundError):
            archive.list("readme.txt")


def test_read_gives_the_decoded_bytes_of_every_storage_form(game):
    with vorn.open(game.path) as archive:
        assert archive.read("art/logo.raw") == PATTERN
        assert archive.read("art/notes.txt") == TEXT
        assert archive.read("scripts/quest.lua") == TEXT
        assert archive.read("readme.txt") == b"hello"
        assert archive.read("empty.bin") == b""
        with pytest.raises(vorn.NotFoundError):
            archive.read("art")


def test_reads_from_several_threads_at_once_give_the_right_bytes(game):
    with vorn.open(game.path) as archive:
        results = {}

        def read(path):
            results[path] = [archive.read(path) for _ in range(20)]

        threads = [threading.Thread(target=read, args=(p,)) for p in ("art/logo.raw", "art/notes.txt")]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        assert set(results["art/logo.raw"]) == {PATTERN}
        assert set(results["art/notes.txt"]) == {TEXT}


def test_damaged_data_raises_decode_error_with_the_reason(make_archive):
    written = make_archive({
        "bad_crc.txt": File(b"some text", crc=0x12345678),
        "short.lzo": File(TEXT, vornwriter.LZO, size=len(TEXT) + 10),
        "fine.txt": b"fine",
    })
    with vorn.open(written.path) as archive:
        with pytest.raises(vorn.DecodeError, match="CRC-32 differs from header"):
            archive.read("bad_crc.txt")
        with pytest.raises(vorn.Error):
            archive.read("short.lzo")
        assert archive.read("fine.txt") == b"fine"  # the archive stays usable


def test_a_file_that_is_no_archive_raises_open_error(tmp_path):
    small = tmp_path / "small.vmres"
    small.write_bytes(b"Velm")
    with pytest.raises(vorn.OpenError, match="size < sizeof"):
        vorn.open(small)
    with pytest.raises(vorn.OpenError, match="Cannot open file"):
        vorn.open(tmp_path / "missing.vmres")
    assert issubclass(vorn.OpenError, vorn.Error)


def test_a_closed_archive_refuses_work(game):
    archive = vorn.open(game.path)
    archive.close()
    with pytest.raises(ValueError):
        archive.walk()
