"""Checks the data g2ldr is built with: the GBK table the legacy menu parser converts titles with,
the font subset and its check, the splash conversion. Run with scripts/payloads on PYTHONPATH
(CTest does)."""
import os
import pathlib
import re
import tempfile
import unittest

import grub_data


class GrubData(unittest.TestCase):
    def setUp(self):
        self.work = pathlib.Path(self.enterContext(tempfile.TemporaryDirectory()))

    def generate(self, function, *inputs):
        function(*inputs, self.work / "out")
        return (self.work / "out").read_bytes()

    def test_gbk_table_maps_every_pair_of_gbk(self):
        text = self.generate(grub_data.gbk_table).decode("ascii")
        codes = [int(code, 16) for code in re.findall(r"0x([0-9a-f]{4}),", text)]
        self.assertEqual(len(codes), 126 * 191)
        # Titles, GBK beyond GB2312 (also below a GB2312 row), a 0x7F trail byte, unassigned A1 40.
        pairs = {c.encode("gbk"): ord(c) for c in "桌面返回丂狜"} | {b"\x81\x7f": 0, b"\xa1\x40": 0}
        for gbk, code in pairs.items():
            self.assertEqual(codes[(gbk[0] - 0x81) * 191 + gbk[1] - 0x40], code, gbk.hex())

    def texts(self, text):
        path = self.work / "texts.txt"
        path.write_text(text, encoding="utf-8")
        return path

    def test_font_has_the_menu_gb2312_and_the_texts_in_their_widths(self):
        unifont = os.environ.get("KH_UNIFONT_HEX", "/usr/share/unifont/unifont.hex")
        texts = self.texts("msgstr \"丂\"\n")  # GBK, not GB2312
        glyphs = re.finditer(r"ENCODING (\d+)\n(?:.*\n){2}BBX (\d+)",
                             self.generate(grub_data.font_bdf, unifont, texts).decode("ascii"))
        widths = {int(glyph[1]): int(glyph[2]) for glyph in glyphs}
        for char in "KorvaneLinux桌面7.0rc返回┌─┐│└┘↑↓丂":
            self.assertEqual(widths.get(ord(char)), 16 if ord(char) >= 0x4E00 else 8, char)
        self.assertNotIn(0x4E04, widths)  # GBK, not GB2312, not in the texts
        self.assertEqual(sum(0x4E00 <= code <= 0x9FFF for code in widths), 6764)

    def test_font_check_names_each_character_the_font_lacks(self):
        # A GRUB font: FILE, then the character index (code point, flags, offset), then DATA.
        index = b"".join(ord(c).to_bytes(4, "big") + bytes(5) for c in " 使用键")
        font = self.work / "font.pf2"
        font.write_bytes(b"FILE\0\0\0\4PFF2NAME\0\0\0\2x\0CHIX" + len(index).to_bytes(4, "big")
                         + index + b"DATA\xff\xff\xff\xff")
        grub_data.font_covers(font, self.texts("使用 键\n"))
        with self.assertRaisesRegex(SystemExit, r"no glyph for U\+0041 A U\+9009 选$"):
            grub_data.font_covers(font, self.texts("使用A选键"))

    def test_splash_becomes_a_top_down_24_bit_tga(self):
        xpm = self.work / "s.xpm"
        xpm.write_text('/* XPM */\n"3 2 2 1",\n"a c #102030",\n"b c #C2EDCB",\n"aab",\n"bba"};\n')
        data = self.generate(grub_data.splash_tga, xpm)
        a, b = [0x30, 0x20, 0x10], [0xCB, 0xED, 0xC2]  # blue, green, red
        self.assertEqual(data[:18], bytes([0, 0, 2] + [0] * 9 + [3, 0, 2, 0, 24, 0x20]))
        self.assertEqual(data[18:], bytes(a + a + b + b + b + a))  # true colour from the top
