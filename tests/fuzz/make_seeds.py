#!/usr/bin/env python3
"""Writes the hand-made seed inputs of the fuzz targets into corpus/<target>/.

The real files (the default file set, the test INI files, the help file's
first topics) are copied in; the rest are small inputs that reach the parts
the real files do not: other encodings and line ends, damaged lines, the
box's answers as the simulator sends them, faulty help files. Run it again
after changing it; it overwrites only the seeds it makes (seed_*).
"""
import os
import re
import sys

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.normpath(os.path.join(here, "..", ".."))
corpus = os.path.join(here, "corpus")


def put(target, name, data):
    folder = os.path.join(corpus, target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    assert len(data) < 4096, (target, name, len(data))
    with open(os.path.join(folder, "seed_" + name), "wb") as f:
        f.write(data)


def read(*parts):
    with open(os.path.join(root, *parts), "rb") as f:
        return f.read()


# ---- INI documents -------------------------------------------------------------
tavrin = read("resources", "defaults", "tavrin.ini")
power = read("resources", "defaults", "System", "AC_Config", "AC_Power_01.ini")
put("fuzz_ini_document", "defaults_tavrin.ini", tavrin)
put("fuzz_ini_document", "defaults_AC_Power_01.ini", power)
put("fuzz_ini_document", "test_AC_Power_01.ini", read("tests", "store", "data", "AC_Power_01.ini"))
put("fuzz_ini_document", "test_tavrin_windows.ini", read("tests", "store", "data", "tavrin_windows.ini"))
text = tavrin.decode("utf-8")
put("fuzz_ini_document", "utf8_bom.ini", b"\xef\xbb\xbf" + "[TAVRIN]\r\nName=Küche €\r\n".encode())
put("fuzz_ini_document", "utf16le.ini", b"\xff\xfe" + text.encode("utf-16-le"))
put("fuzz_ini_document", "utf16be.ini", b"\xfe\xff" + "[AC]\nAC_Name01=Lampe äöü\n".encode("utf-16-be"))
put("fuzz_ini_document", "utf16_broken.ini", b"\xff\xfe[\x00A\x00]\x00\n\x00\x00\xd8k\x00=\x00")
put("fuzz_ini_document", "cp1252.ini", "[AC]\r\nAC_Name01=Küche\r\nAC_Name02=€uro\r\n".encode("cp1252"))
put("fuzz_ini_document", "line_ends.ini", b"[A]\rk=1\r\n[B]\nk = 2 \n\r[a]\r\nK=3")
put("fuzz_ini_document", "syntax.ini",
    b"pre=1\n[ S ]\n;k=c\n  key  =  va=lue  \n[x=\n=empty\nnoeq\n[]\nk\x01=bin\nk=dup\n[s]\nt\t=\ttab\t\n")
put("fuzz_ini_document", "empty.ini", b"")
put("fuzz_ini_document", "binary.ini", bytes(range(256)))

# ---- Data-holder programs -------------------------------------------------------
# Names are spelled in the target's alphabet "aAbB|c|||INIini_01 \xC3\xA4".
alphabet = "aAbB|c|||INIini_01 \xC3\xA4"


def name(s):
    idx = []
    for ch in s:
        idx.append(alphabet.index(ch))
    return bytes([len(idx)] + idx)


def txt(s):
    b = s.encode()
    return bytes([len(b)]) + b


INI = "INI|Bb|ab"
put("fuzz_data_holder", "register_set_get.bin",
    b"\x01" + name(INI) + txt("TopLeft") + b"\x09" + name(INI) + b"\x05" + name("ini|bb|AB") + txt("Mid")
    + b"\x89" + name(INI) + b"\x0c" + name(INI))
put("fuzz_data_holder", "paths.bin",
    b"\x00" + name("a") + b"\x00" + name("INI|") + b"\x00" + name("|a") + b"\x00" + name("a|b|c|a")
    + b"\x00" + name("INI||a") + b"\x00" + name(""))
put("fuzz_data_holder", "use_index.bin",
    b"\x0f" + name("INI") + name("c") + b"\x03" + name("a0") + b"\x07" + name("a0") + b"\x2a"
    + b"\x0a" + name("INI|c|a0") + b"\x0e" + b"\x09" + name("a0"))
put("fuzz_data_holder", "booleans_walk.bin",
    b"\x04" + name("INI|c|a") + b"\x01" + b"\x04" + name("INI|c|b") + b"\x00" + b"\x08" + name("INI|c|b")
    + b"\x01" + b"\x0d" + name("INI|c") + b"\x0b" + name("INI|c|A1") + txt("run") + b"\x0d" + name("INI|c"))
put("fuzz_data_holder", "umlaut.bin", b"\x01" + name("\xC3\xA4|a") + txt("x") + b"\x8a" + name("\xC3\xA4|a"))

# ---- Box answers ------------------------------------------------------------------
# Byte 0: the operation (0 answer test, 1 identification, 2 serial number,
# 3 exchanges, 4 the controller's response wait); byte 1: reply delay / 5 ms.
RS = b"\x1e"
ident = b"ati\r\n>NELTA-V1.4-BOX8-USB-NELTA8\r\n"
put("fuzz_at_reply", "at_ok", b"\x00\x04" + b"at\r\n>OK\r\n")
put("fuzz_at_reply", "at_error_then_ok", b"\x00\x04" + RS.join([b"at\r\n>ERROR\r\n"] * 3 + [b"at\r\n>OK\r\n"]))
put("fuzz_at_reply", "at_error_always", b"\x00\x00" + RS.join([b"at\r\n>ERROR\r\n"] * 12))
put("fuzz_at_reply", "at_late", b"\x00\x3c" + b"at\r\n>OK\r\n")
put("fuzz_at_reply", "ati", b"\x01\x04" + ident + RS + ident)
put("fuzz_at_reply", "ati_nelta24", b"\x01\x04" + RS.join([b"ati\r\n>NELTA-V2.0-BOX24-USB-NELTA24\r\n"] * 2))
put("fuzz_at_reply", "ati_short", b"\x01\x00" + RS.join([b"ati\r\n>NELTA\r\n", b"ati\r\n> -x-- \r\n"]))
put("fuzz_at_reply", "atsn", b"\x02\x04" + b"atsn\r\n>SN:NELTA-000123\r\n")
put("fuzz_at_reply", "atv_report", b"\x03\x04" + b"atv\r\n>NELTA USB-NELTA8\r\nFirmware V1.4\r\nController BOX8\r\nSockets 8\r\n")
put("fuzz_at_reply", "exchanges", b"\x03\x02" + RS.join([b"at\r\n>OK\r\n", ident, b"x", b"", b">\r", b"garbage\xff\x00>>\r\r"]))
put("fuzz_at_reply", "switch_wait", b"\x04\x00" + RS.join([b"atn5\r\n>OK WAIT\r\n", b"\r\n>WAIT\r\n", b"\r\n>SET PORT 5 ON\r\n"]))
put("fuzz_at_reply", "switch_direct", b"\x04\x04" + b"atn5\r\n>SET PORT 5 ON\r\n")
put("fuzz_at_reply", "switch_wait_forever", b"\x04\x00" + RS.join([b"atn5\r\n>OK WAIT\r\n"] + [b"\r\n>WAIT\r\n"] * 20))
put("fuzz_at_reply", "switch_silent", b"\x04\x00" + RS.join([b"atn5\r\n>OK WAIT\r\n", b"", b"\r\n>SET PORT 5 ON\r\n"]))

# ---- Help files ---------------------------------------------------------------------
helpfile = read("resources", "help", "tavrin_DE.chm").decode("utf-8")
# The head (directives, aliases) with the first topics, cut at a topic.
cut = [m.start() for m in re.finditer(r"^@topic ", helpfile, re.M)]
head = helpfile
for pos in cut:
    if pos < 3800:
        head = helpfile[:pos]
aliases_ok = "\n".join(l for l in head.splitlines() if not l.startswith("@alias")) + "\n"
put("fuzz_help_file", "shipped_head", aliases_ok)
example = ("TAVRIN-HILFE 1\n# comments\n@title Hilfe\n@start 400\n@alias 80 610\n\n"
           "@topic 400 hlp_tavrin Tavrin\n<p>Body <a href=\"hilfe:610\">link</a></p>\n\n"
           "@topic 610 hlp_einstellungen Einstellungen\n<p>x</p>\n")
put("fuzz_help_file", "format_example", example)
put("fuzz_help_file", "bom_crlf", "\ufeff\r\n" + example.replace("\n", "\r\n"))
put("fuzz_help_file", "alias_missing", "TAVRIN-HILFE 1\n@alias 80 999\n@topic 1 a A\n")
put("fuzz_help_file", "duplicate", "TAVRIN-HILFE 1\n@topic 1 a A\n@topic 1 b\n")
put("fuzz_help_file", "text_before", "TAVRIN-HILFE 1\nhello\n@topic 1 a\n")
put("fuzz_help_file", "no_magic", "@topic 1 a\n")
put("fuzz_help_file", "bad_numbers", "TAVRIN-HILFE 1\n@start 0\n@topic 2147483648 a\n@topic -1 b\n")
put("fuzz_help_file", "start_missing", "TAVRIN-HILFE 1\n@start 5\n@topic 1 a   Title  \n@title\n")
