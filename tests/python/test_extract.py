"""Extraction to disk and the archive test."""

import pytest
import vorn
import vornwriter
from conftest import PATTERN, TEXT, File


def test_extract_writes_the_tree_or_the_named_entries(game, tmp_path):
    with vorn.open(game.path) as archive:
        result = archive.extract(tmp_path / "all")
        assert (result.written, result.skipped, result.failures) == (5, 0, [])
        assert (tmp_path / "all/art/logo.raw").read_bytes() == PATTERN
        assert (tmp_path / "all/scripts/quest.lua").read_bytes() == TEXT
        assert (tmp_path / "all/empty.bin").read_bytes() == b""

        archive.extract(tmp_path / "some", paths=["art/notes.txt", "scripts"])
        written = sorted(p.relative_to(tmp_path / "some").as_posix() for p in (tmp_path / "some").rglob("*.*"))
        assert written == ["art/notes.txt", "scripts/quest.lua"]

        archive.extract(tmp_path / "flat", paths=["art"], flat=True)
        assert sorted(p.name for p in (tmp_path / "flat").iterdir()) == ["logo.raw", "notes.txt"]

        with pytest.raises(vorn.NotFoundError):
            archive.extract(tmp_path / "none", paths=["art/missing.txt"])


def test_overwrite_keeps_or_replaces_existing_files(game, tmp_path):
    existing = tmp_path / "readme.txt"
    with vorn.open(game.path) as archive:
        existing.write_bytes(b"mine")
        result = archive.extract(tmp_path, paths=["readme.txt"])
        assert (result.written, result.skipped) == (0, 1) and existing.read_bytes() == b"mine"
        result = archive.extract(tmp_path, paths=["readme.txt"], overwrite=True)
        assert result.written == 1 and existing.read_bytes() == b"hello"
        with pytest.raises(ValueError):
            archive.extract(tmp_path, overwrite="sometimes")


def test_progress_is_reported_and_can_stop_the_run(game, tmp_path):
    seen = []
    with vorn.open(game.path) as archive:
        archive.extract(tmp_path / "a", progress=lambda p: seen.append((p.entries_done, p.entries_total)))
        assert seen[0][0] == 0 and all(total == seen[0][1] > 0 for _, total in seen)
        assert [done for done, _ in seen] == sorted(done for done, _ in seen) and len(seen) >= 5

        result = archive.extract(tmp_path / "b", progress=lambda p: p.entries_done < 2)
        assert result.cancelled and result.written < 5
        result = archive.extract(tmp_path / "c", progress=lambda p: False)
        assert (result.cancelled, result.written) == (True, 0)

        def fail(progress):
            raise KeyError("from the callback")
        with pytest.raises(KeyError, match="from the callback"):
            archive.extract(tmp_path / "d", progress=fail)


def test_failed_files_raise_extract_error_after_the_others_are_written(make_archive, tmp_path):
    written = make_archive({"bad.txt": File(b"data", crc=7), "..": b"escape", "good.txt": b"good"})
    with vorn.open(written.path) as archive:
        with pytest.raises(vorn.ExtractError, match="Can't extract") as raised:
            archive.extract(tmp_path / "out")
        failures = raised.value.result.failures
        assert sorted(f.message for f in failures)[0] == "CRC-32 differs from header"
        assert len(failures) == 2 and raised.value.result.written == 1
    assert (tmp_path / "out/good.txt").read_bytes() == b"good"
    assert sorted(p.name for p in tmp_path.iterdir()) == ["out", "test.vmres"]
    assert not (tmp_path / "out/bad.txt").exists()


def test_test_reports_damaged_files_in_tree_order(make_archive):
    data = vornwriter.text_like_bytes(50000, 1)
    written = make_archive({"a": {"ok.bin": File(data, vornwriter.ZLIB, 8192), "bad.bin": File(b"x", crc=9)},
                            "worse.bin": File(b"y", crc=3)})
    with vorn.open(written.path) as archive:
        calls = []
        result = archive.test(progress=calls.append)
        assert (result.checked, result.passed, result.ok) == (3, 1, False)
        assert [(d.path, d.message) for d in result.damaged] == [
            ("a/bad.bin", "CRC-32 differs from header"), ("worse.bin", "CRC-32 differs from header")]
    with vorn.open(make_archive({"fine": b"fine"}, "fine.vmres").path) as archive:
        assert archive.test().ok
