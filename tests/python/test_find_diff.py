"""Searching archives and comparing two of them."""

import pytest
import vorn
import vornwriter
from conftest import TEXT, File


def paths(entries):
    return [e.path for e in entries]


def test_find_by_name_type_size_format_and_content(game):
    with vorn.open(game.path) as archive:
        assert paths(archive.find("*.txt")) == ["art/notes.txt", "readme.txt"]
        assert paths(archive.find("NOTES")) == ["art/notes.txt"]
        assert paths(archive.find("NOTES", match_case=True)) == []
        assert paths(archive.find(regex=r"^q.*\.lua$")) == ["scripts/quest.lua"]
        assert paths(archive.find(types=["raw"], min_size=1)) == ["art/logo.raw"]
        assert paths(archive.find(max_size=5)) == ["readme.txt", "empty.bin"]
        assert paths(archive.find(formats=["lzo", "Raw"])) == ["art/notes.txt", "readme.txt", "empty.bin"]
        assert paths(archive.find(contains="QUEST SCRIPT")) == ["art/notes.txt", "scripts/quest.lua"]
        assert paths(archive.find(hex="68 65 6c 6c 6f")) == ["readme.txt"]
        with pytest.raises(vorn.Error):
            archive.find(regex="(")
        with pytest.raises(ValueError):
            archive.find(formats=["rar"])


def test_find_reports_damage_instead_of_missing_it(make_archive):
    written = make_archive({"bad.txt": File(b"needle", crc=5), "good.txt": b"needle"})
    with vorn.open(written.path) as archive:
        with pytest.raises(vorn.DecodeError, match="bad.txt"):
            archive.find(contains="needle")
        assert paths(archive.find(damaged=True)) == ["bad.txt"]


def test_find_over_several_archives_names_the_archive(game, make_archive):
    other = make_archive({"quest.lua": b"other"}, "other.vmres")
    found = vorn.find([game.path, other.path], "quest.lua")
    assert [(archive, entry.path) for archive, entry in found] == [
        (game.path, "scripts/quest.lua"), (other.path, "quest.lua")]


def test_diff_lists_what_b_changes_against_a(make_archive):
    base = make_archive({"data": {"same.txt": b"same", "old.txt": b"old", "edit.txt": b"v1"},
                         "pack.txt": File(TEXT)}, "base.vmres")
    patch = make_archive({"data": {"same.txt": b"same", "new.txt": b"new", "edit.txt": b"v2!"},
                          "pack.txt": File(TEXT, vornwriter.ZLIB)}, "patch.vmres")
    changes = [(d.path, d.change) for d in vorn.diff(base.path, patch.path)]
    assert changes == [("data", "changed"), ("data/edit.txt", "changed"), ("data/new.txt", "added"),
                       ("data/old.txt", "removed"), ("pack.txt", "repacked")]
    edit = vorn.diff(base.path, patch.path)[1]
    assert (edit.size_a, edit.size_b) == (2, 3)
    everything = vorn.diff(vorn.open(base.path), patch.path, include_same=True)
    assert ("data/same.txt", "same") in [(d.path, d.change) for d in everything]
