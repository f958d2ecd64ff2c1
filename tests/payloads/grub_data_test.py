#!/usr/bin/env python3
"""Checks the data g2ldr is built with: the GBK table the legacy menu parser converts titles
with, the font subset and the splash conversion (scripts/payloads/grub_data.py)."""
import os
import re
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "payloads"))
import grub_data  # noqa: E402

UNIFONT = os.environ.get("KH_UNIFONT_HEX", "/usr/share/unifont/unifont.hex")


def generate(function, *inputs):
    """What FUNCTION writes from INPUTS."""
    with tempfile.TemporaryDirectory() as work:
        function(*inputs, os.path.join(work, "out"))
        with open(os.path.join(work, "out"), "rb") as out:
            return out.read()


class GrubData(unittest.TestCase):
    def test_gbk_table_maps_every_pair_of_gbk(self):
        text = generate(grub_data.gbk_table).decode("ascii")
        codes = [int(code, 16) for code in re.findall(r"0x([0-9a-f]{4}),", text)]
        self.assertEqual(len(codes), 126 * 191)
        self.assertIn(f"legacy_gbk_to_unicode[{126 * 191}]", text)
        # The menu titles, GBK beyond GB2312 (also below a GB2312 row); 0x7F is never a trail byte,
        # A1 40 is unassigned.
        for gbk, code in [(c.encode("gbk"), ord(c)) for c in "桌面返回丂狜"] + \
                [(b"\x81\x7f", 0), (b"\xa1\x40", 0)]:
            self.assertEqual(codes[(gbk[0] - 0x81) * 191 + gbk[1] - 0x40], code, gbk.hex())

    def test_font_has_the_menu_and_gb2312_in_their_widths(self):
        bdf = generate(grub_data.font_bdf, UNIFONT).decode("ascii")
        glyphs = re.finditer(r"ENCODING (\d+)\n(?:.*\n){2}BBX (\d+)", bdf)
        widths = {int(glyph[1]): int(glyph[2]) for glyph in glyphs}
        for char in "KorvaneLinux桌面7.0rc返回┌─┐│└┘↑↓":
            self.assertEqual(widths.get(ord(char)), 16 if ord(char) >= 0x4E00 else 8, char)
        self.assertNotIn(0x4E02, widths)  # GBK, not GB2312
        self.assertEqual(sum(0x4E00 <= code <= 0x9FFF for code in widths), 6763)

    def test_splash_becomes_a_top_down_24_bit_tga(self):
        with tempfile.TemporaryDirectory() as work:
            xpm = os.path.join(work, "s.xpm")
            with open(xpm, "w", encoding="ascii") as out:
                out.write('/* XPM */\nstatic char *s[] = {\n"3 2 2 1",\n"a c #102030",\n'
                          '"b c #C2EDCB",\n"aab",\n"bba"};\n')
            data = generate(grub_data.splash_tga, xpm)
        a, b = [0x30, 0x20, 0x10], [0xCB, 0xED, 0xC2]  # blue, green, red
        self.assertEqual(data[:18], bytes([0, 0, 2] + [0] * 9 + [3, 0, 2, 0, 24, 0x20]))
        self.assertEqual(data[18:], bytes(a + a + b + b + b + a))  # true colour from the top


if __name__ == "__main__":
    unittest.main()
