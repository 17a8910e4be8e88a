"""Raw textures as pictures and PNG files."""

import struct
import zlib

import pytest
import vorn


def texture(width, height, pixels, surfaces=1, magic=b"ipaR", pixel_format=b"8888"):
    return magic + pixel_format + struct.pack("<HHHH", 0, surfaces, width, height) + pixels


# Stored bottom row first, each pixel blue, green, red, alpha.
BOTTOM_LEFT, BOTTOM_RIGHT = bytes([1, 2, 3, 4]), bytes([5, 6, 7, 8])
TOP_LEFT, TOP_RIGHT = bytes([9, 10, 11, 12]), bytes([13, 14, 15, 16])
TWO_BY_TWO = texture(2, 2, BOTTOM_LEFT + BOTTOM_RIGHT + TOP_LEFT + TOP_RIGHT + b"second surface", surfaces=2)


def rgba(bgra):
    return bytes([bgra[2], bgra[1], bgra[0], bgra[3]])


def test_decoding_puts_the_stored_bottom_row_at_the_bottom():
    picture = vorn.decode_texture(TWO_BY_TWO)
    assert (picture.width, picture.height) == (2, 2)
    assert picture.rgba == rgba(TOP_LEFT) + rgba(TOP_RIGHT) + rgba(BOTTOM_LEFT) + rgba(BOTTOM_RIGHT)


def read_png(data):
    """Width, height, colour type and the unfiltered rows of a PNG file."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    at, chunks = 8, {}
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        assert struct.unpack(">I", data[at + 8 + length:at + 12 + length])[0] == zlib.crc32(kind + body)
        chunks[kind] = chunks.get(kind, b"") + body
        at += 12 + length
    width, height, depth, colour = struct.unpack(">IIBB", chunks[b"IHDR"][:10])
    assert depth == 8 and b"IEND" in chunks
    return width, height, colour, zlib.decompress(chunks[b"IDAT"])


def test_png_holds_the_pixels_with_alpha():
    width, height, colour, rows = read_png(vorn.texture_to_png(TWO_BY_TWO))
    assert (width, height, colour) == (2, 2, 6)
    assert rows == b"\0" + rgba(TOP_LEFT) + rgba(TOP_RIGHT) + b"\0" + rgba(BOTTOM_LEFT) + rgba(BOTTOM_RIGHT)


@pytest.mark.parametrize("data, message", [
    (texture(2, 2, b"", magic=b"RAW!"), "Invalid file!"),
    (texture(2, 2, b"", pixel_format=b"0565"), "Unsupported Pixelformat!"),
    (texture(2, 2, b"\0" * 16, surfaces=0), "No surface present!"),
    (texture(0, 2, b""), "Texture has no pixels!"),
    (texture(2, 2, b"\0" * 15), "Texture data is incomplete!"),
    (b"ipaR", "Invalid file!"),
])
def test_bad_textures_are_refused_with_the_reason(data, message):
    with pytest.raises(vorn.Error, match=message):
        vorn.decode_texture(data)
