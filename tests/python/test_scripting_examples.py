"""The examples of docs/scripting.md, run as they are written there."""

import os
import pathlib
import re
import subprocess
import sys

import vornwriter
from conftest import File

DOC = pathlib.Path(os.environ.get("VV_SOURCE_DIR", pathlib.Path(__file__).parents[2])) / "docs/scripting.md"


def example(name):
    """The ```python block of the page whose first line names `name`."""
    for block in re.findall(r"```python\n(.*?)```", DOC.read_text(), re.S):
        if block.startswith(f"# {name} "):
            return block
    raise AssertionError(f"{name} is not on the page")


def run(tmp_path, name, *arguments):
    script = tmp_path / name
    script.write_text(example(name))
    return subprocess.run([sys.executable, str(script), *map(str, arguments)], capture_output=True, text=True,
                          check=True, env=os.environ)


def texture(width, height, fill):
    return b"ipaR8888" + bytes([0, 0, 1, 0, width, 0, height, 0]) + fill * (width * height)


def test_export_textures_writes_a_png_per_texture(make_archive, tmp_path):
    written = make_archive({
        "art": {"grass.raw": File(texture(2, 1, b"\1\2\3\4"), vornwriter.ZLIB), "bad.raw": b"not a texture"},
        "readme.txt": b"text",
    })
    result = run(tmp_path, "export_textures.py", written.path, tmp_path / "png")
    pngs = sorted(p.relative_to(tmp_path / "png").as_posix() for p in (tmp_path / "png").rglob("*.png"))
    assert pngs == ["art/grass.raw.png"]
    assert (tmp_path / "png/art/grass.raw.png").read_bytes().startswith(b"\x89PNG")
    assert "art/bad.raw: Invalid file!" in result.stderr


def test_patch_changes_lists_files_the_patch_touches(make_archive, tmp_path):
    base = make_archive({"maps": {"a.vmmap": b"1", "b.vmmap": b"2"}, "same.txt": b"x"}, "base.vmres")
    patch = make_archive({"maps": {"a.vmmap": b"1!", "c.vmmap": b"3"}, "same.txt": b"x"}, "patch.vmres")
    result = run(tmp_path, "patch_changes.py", base.path, patch.path)
    assert result.stdout.splitlines() == ["changed  maps/a.vmmap", "removed  maps/b.vmmap", "added    maps/c.vmmap"]


def test_conflict_winners_names_the_winner_of_each_conflict(make_archive, tmp_path):
    (tmp_path / "game").mkdir()
    make_archive({"maps": {"a.vmmap": b"1", "b.vmmap": b"2"}}, "game/base.vmres")
    make_archive({"maps": {"a.vmmap": b"1!"}}, "game/patch.vmres", 0x3000)
    make_archive({"maps": {"A.VMMAP": b"1"}}, "game/lang.vmres", 0x1000)
    (tmp_path / "game/broken.vmres").write_bytes(b"no archive")
    result = run(tmp_path, "conflict_winners.py", tmp_path / "game")
    assert result.stdout.splitlines() == [
        "maps/a.vmmap: patch.vmres over lang.vmres (different), base.vmres (different)"]
    assert "left out: " in result.stderr and "broken.vmres" in result.stderr
