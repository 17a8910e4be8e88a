"""The merged view: what the game sees over several archives."""

import pytest
import vorn
import vornwriter
from conftest import File

PATCH = 0x3000  # the priority class Patch; the writer's default is Factory
USER = 0x4000


def test_the_higher_archive_wins_and_its_stack_shows_what_it_hides(make_archive, tmp_path):
    base = make_archive({"Data": {"a.txt": b"base a!", "b.txt": b"only in base", "same.txt": b"s"}}, "base.vmres")
    patch = make_archive({"data": {"A.TXT": File(b"patched", crc=0), "new.txt": b"new", "same.txt": File(b"s", crc=0)}},
                         "patch.vmres", PATCH)
    view = vorn.merged([patch.path, tmp_path / "base.vmres"])
    assert view.archives == [base.path, patch.path]
    merged = {m.path: m for m in view}
    assert sorted(merged) == ["data", "data/A.TXT", "data/b.txt", "data/new.txt", "data/same.txt"]
    a = merged["data/A.TXT"]
    assert (a.archive, a.hidden, a.conflict, a.entry.size) == (patch.path, 1, True, 7)
    assert (merged["data/b.txt"].archive, merged["data/b.txt"].conflict) == (base.path, False)
    assert [m.path for m in view.conflicts()] == ["data/A.TXT", "data/same.txt"]
    # Without a stored CRC-32 (and with equal sizes) the bytes are compared.
    assert [(v.state, v.archive, v.priority, v.entry.path) for v in view.versions("data/a.txt")] == [
        ("winner", patch.path, "Patch", "data/A.TXT"), ("different", base.path, "Factory", "data/a.txt")]
    assert [v.state for v in view.versions("DATA")] == ["winner", "folder"]
    assert [v.state for v in view.versions("data/same.txt")] == ["winner", "same"]
    assert view.read("DATA/a.txt") == b"patched"
    assert [m.path for m in view.list("data")] == ["data/A.TXT", "data/new.txt", "data/same.txt", "data/b.txt"]
    for missing in ("data/missing.txt", "data/\u4e00.txt"):
        with pytest.raises(vorn.NotFoundError):
            view.read(missing)
    with pytest.raises(vorn.NotFoundError, match="Not a file"):
        view.read("data")


def test_extract_writes_the_winners_in_one_folder_per_path(make_archive, tmp_path):
    make_archive({"Art": {"a.txt": b"base a", "b.txt": b"base b"}}, "base.vmres")
    make_archive({"art": {"A.TXT": b"user a"}, "maps": b"a file over a folder"}, "user.vmres", USER)
    make_archive({"maps": {"m.txt": b"hidden"}}, "maps.vmres", PATCH)
    view = vorn.merged(tmp_path)
    seen = []
    result = view.extract(tmp_path / "out", progress=lambda p: seen.append((p.entries_done, p.entries_total)) or True)
    assert (result.written, result.failures) == (3, [])
    written = sorted(p.relative_to(tmp_path / "out").as_posix() for p in (tmp_path / "out").rglob("*") if p.is_file())
    assert written == ["art/A.TXT", "art/b.txt", "maps"]
    assert (tmp_path / "out/art/A.TXT").read_bytes() == b"user a"
    assert seen == [(0, 3), (1, 3), (2, 3)]
    stopped = view.extract(tmp_path / "out2", paths=["art"], progress=lambda p: p.entries_done < 1)
    assert (stopped.written, stopped.cancelled) == (1, True)
    assert [v.state for v in view.versions("maps")] == ["winner", "other kind"]


def test_folders_are_searched_and_what_is_left_out_is_named(make_archive, tmp_path):
    (tmp_path / "game/sub").mkdir(parents=True)
    make_archive({"a.txt": b"a"}, "game/sub/base.VMRES")
    make_archive({"a.txt": b"b"}, "game/sub/twin.vmmap")
    (tmp_path / "game/broken.vmres").write_bytes(b"not an archive")
    (tmp_path / "game/save.vmsave").write_bytes(b"saved games are no part of it")
    view = vorn.merged(tmp_path / "game")
    assert [m.path for m in view] == ["a.txt"]
    assert view.ties == [[str(tmp_path / "game/sub/base.VMRES"), str(tmp_path / "game/sub/twin.vmmap")]]
    assert len(view.problems) == 1 and "broken.vmres" in view.problems[0]
    with pytest.raises(vorn.OpenError):
        vorn.merged([tmp_path / "game/broken.vmres"])
