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


class GbkTable(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with tempfile.TemporaryDirectory() as work:
            path = os.path.join(work, "table.h")
            grub_data.gbk_table(path)
            with open(path, encoding="ascii") as header:
                cls.text = header.read()
        cls.codes = [int(code, 16) for code in re.findall(r"0x([0-9a-f]{4}),", cls.text)]

    def code(self, lead, trail):
        return self.codes[(lead - 0x81) * 191 + (trail - 0x40)]

    def test_the_menu_titles_map_to_their_characters(self):
        for gbk, text in [(b"\xd7\xc0\xc3\xe6", "桌面"), (b"\xb7\xb5\xbb\xd8", "返回")]:
            self.assertEqual([self.code(gbk[0], gbk[1]), self.code(gbk[2], gbk[3])],
                             [ord(c) for c in text])

    def test_characters_outside_gb2312_are_there_too(self):
        self.assertEqual(self.code(0x81, 0x40), 0x4E02)  # first GBK extension character
        self.assertEqual(self.code(0xAA, 0x40), 0x72DC)  # below a GB2312 row

    def test_pairs_that_are_no_character_map_to_nothing(self):
        self.assertEqual(self.code(0x81, 0x7F), 0)  # 0x7F is never a trail byte
        self.assertEqual(self.code(0xA1, 0x40), 0)  # an unassigned cell

    def test_the_table_covers_every_lead_and_trail_byte(self):
        self.assertEqual(len(self.codes), 126 * 191)
        self.assertIn("legacy_gbk_to_unicode[24066]", self.text)


class FontSubset(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with tempfile.TemporaryDirectory() as work:
            path = os.path.join(work, "font.bdf")
            grub_data.font_bdf(UNIFONT, path)
            with open(path, encoding="ascii") as bdf:
                cls.chars = {int(m.group(1)): m.group(2) for m in re.finditer(
                    r"ENCODING (\d+)\n(?:.*\n){2}BBX (\d+)", bdf.read())}

    def test_menu_titles_and_frame_are_drawable(self):
        for char in "KorvaneLinux桌面7.0rc返回┌─┐│└┘↑↓":
            self.assertIn(ord(char), self.chars, char)

    def test_ascii_is_half_width_and_chinese_full_width(self):
        self.assertEqual(self.chars[ord("K")], "8")
        self.assertEqual(self.chars[ord("桌")], "16")

    def test_only_gb2312_han_characters_are_taken(self):
        self.assertNotIn(0x4E02, self.chars)  # GBK, not GB2312
        self.assertEqual(sum(1 for c in self.chars if 0x4E00 <= c <= 0x9FFF), 6763)


class Splash(unittest.TestCase):
    def test_xpm_becomes_a_top_down_24_bit_tga(self):
        with tempfile.TemporaryDirectory() as work:
            xpm = os.path.join(work, "s.xpm")
            with open(xpm, "w", encoding="ascii") as out:
                out.write('/* XPM */\nstatic char *s[] = {\n"3 2 2 1",\n"a c #102030",\n'
                          '"b c #C2EDCB",\n"aab",\n"bba"};\n')
            tga = os.path.join(work, "s.tga")
            grub_data.splash_tga(xpm, tga)
            with open(tga, "rb") as image:
                data = image.read()
        self.assertEqual(data[2], 2)
        self.assertEqual((data[12] | data[13] << 8, data[14] | data[15] << 8), (3, 2))
        self.assertEqual((data[16], data[17]), (24, 0x20))
        self.assertEqual(data[18:27], bytes([0x30, 0x20, 0x10] * 2 + [0xCB, 0xED, 0xC2]))
        self.assertEqual(len(data), 18 + 3 * 2 * 3)


if __name__ == "__main__":
    unittest.main()
