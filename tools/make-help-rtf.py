#!/usr/bin/env python3
"""Writes resources/help.rtf, the help panel's document, from tools/help-source.txt.

Run by hand after editing the source text; the .rtf it writes is committed.
The source is UTF-8 with one document line per line; tabs become \\tab.
The Chinese text is stored as \\'xx escapes of its code page 936 bytes in
font 1 ("宋体", charset 134); the leading "=" run of the title line stays in
font 0 (Arial), and the document returns to font 0 before its last line break.
"""

import pathlib
import sys

TOOLS = pathlib.Path(__file__).resolve().parent
SOURCE = TOOLS / "help-source.txt"
TARGET = TOOLS.parent / "resources" / "help.rtf"


def escape(text):
    """RTF for text set in the GBK font: ASCII as is, the rest as \\'xx."""
    out = []
    for char in text:
        if char in "\\{}":
            out.append("\\" + char)
        elif char == "\t":
            out.append("\\tab ")
        elif ord(char) < 0x80:
            out.append(char)
        else:
            out.extend("\\'%02x" % byte for byte in char.encode("gbk"))
    return "".join(out)


def switch_font(number, following):
    """\\fN, with the blank that ends the word when the next text needs one."""
    first = following[:1]
    needs_blank = first.isascii() and (first.isalnum() or first == " ")
    return "\\f%d%s" % (number, " " if needs_blank else "")


def font_table():
    song = escape("宋体")
    return ("{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
            "{\\f1\\fmodern\\fprq6\\fcharset134 %s;}}" % song)


def document(lines):
    title = lines[0]
    rule = len(title) - len(title.lstrip("="))
    title_rtf = escape(title[:rule]) + switch_font(1, title[rule:]) + escape(title[rule:])
    body = [title_rtf] + [escape(line) for line in lines[1:]]
    body[-1] += "\\f0"
    text = "\\par\r\n".join(body) + "\\par\r\n"
    return ("{\\rtf1\\ansi\\ansicpg1252\\deff0" + font_table() + "\r\n"
            "\\viewkind4\\uc1\\pard\\lang2052\\fs18 " + text + "}\r\n")


def main():
    lines = SOURCE.read_text(encoding="utf-8").rstrip("\n").split("\n")
    rtf = document(lines)
    TARGET.write_bytes(rtf.encode("ascii"))
    print("%s: %d bytes, %d lines" % (TARGET, len(rtf), len(lines)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
