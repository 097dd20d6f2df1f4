#!/usr/bin/env python3
"""Host tests of mksetup, reading what it builds with independent tools.

usage: test_mksetup.py MKSETUP TEST_STUB PRODUCT_DIR SAMPLE_DIR
Exits 77 (skipped) when the Windows test stub has not been built.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile
import zlib
from pathlib import Path

MKSETUP, STUB, PRODUCT_DIR, SAMPLE_DIR = (Path(a) for a in sys.argv[1:5])
MARKER = b"KSTVALUES-STORE1"


def run(*args, env=None):
    return subprocess.run([str(MKSETUP), *map(str, args)], capture_output=True, text=True,
                          env=env, timeout=300)


def stored_values(image):
    at = image.index(MARKER)
    return struct.unpack_from("<Ii", image, at + 16)


def archive_start(image):
    end = image.rindex(b"PK\x05\x06")
    size, offset, comment = struct.unpack_from("<IIH", image, end + 12)
    return len(image) - comment - 22 - size - offset


def pe_checksum(image):
    pe = struct.unpack_from("<I", image, 60)[0]
    field = pe + 24 + 64
    data = bytearray(image)
    data[field:field + 4] = b"\0\0\0\0"
    if len(data) % 2:
        data.append(0)
    total = 0
    for (word,) in struct.iter_unpack("<H", bytes(data)):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return ((total & 0xFFFF) + (total >> 16) + len(image)) & 0xFFFFFFFF, struct.unpack_from("<I", image, field)[0]


BASE_TOML = """\
[product]
name = "Quillmate"
title = "Quillmate 3.1"
start = "bin\\\\Quillmate.exe"
log = "unstall.log"

[desktop_shortcut]
target = "bin\\\\Quillmate.exe"
name = "Quillmate"

[files]
payload = "payload"
"""


class Workspace:
    """A product folder of its own: a copy of the test product's payload."""

    def __init__(self, root):
        self.dir = Path(tempfile.mkdtemp(dir=root))
        shutil.copytree(PRODUCT_DIR / "payload", self.dir / "payload")
        self.out = self.dir / "out"
        self.out.mkdir()

    def build(self, toml, env=None, name="setup.exe"):
        (self.dir / "product.toml").write_text(toml, encoding="utf-8")
        target = self.out / name
        return run("build", self.dir / "product.toml", "-o", target, "--stub", STUB,
                   "--uninstaller", STUB, "--quiet", env=env), target


class Built(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = tempfile.mkdtemp(prefix="mksetup-test-")
        cls.image_path = Path(cls.root) / "product-setup.exe"
        r = run("build", PRODUCT_DIR / "product.toml", "-o", cls.image_path, "--stub", STUB,
                "--uninstaller", STUB, "--quiet")
        assert r.returncode == 0, r.stderr
        cls.image = cls.image_path.read_bytes()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.root)

    def test_python_zipfile_reads_every_entry(self):
        with zipfile.ZipFile(self.image_path) as z:
            self.assertIsNone(z.testzip())
            names = z.namelist()
            for info in z.infolist():
                self.assertIn(info.compress_type, (zipfile.ZIP_STORED, zipfile.ZIP_DEFLATED))
                self.assertEqual(info.flag_bits & 8, 0)  # sizes in the local header
            self.assertEqual(z.read("docs/Readme.txt"), (PRODUCT_DIR / "payload/docs/Readme.txt").read_bytes())
            self.assertEqual(z.read("kestrun.exe"), STUB.read_bytes())
        self.assertEqual(names[:-1], sorted(names[:-1]))
        self.assertEqual(names[-1], "kestrun.exe")
        # Names are code page 1252 bytes, as the setup program hands them to Windows.
        self.assertIn("docs/Notes \xe9.txt".encode("cp1252").decode("cp437"), names)

    def test_unzip_accepts_the_archive(self):
        r = subprocess.run(["unzip", "-t", str(self.image_path)], capture_output=True, text=True, errors="replace")
        self.assertEqual(r.returncode, 1, r.stdout)  # 1: warning about the prefix only
        self.assertIn("No errors detected", r.stdout)

    def test_stored_values_and_checksum(self):
        crc, probe = stored_values(self.image)
        self.assertEqual(crc, zlib.crc32(self.image[archive_start(self.image):]))
        self.assertEqual(probe, 3000)
        computed, stored = pe_checksum(self.image)
        self.assertEqual(computed, stored)

    def test_verify_and_list(self):
        r = run("verify", self.image_path)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        self.assertIn("10011  Quillmate 3.1", r.stdout)
        self.assertIn("10101  %ProgDir%Cache\\", r.stdout)
        r = run("list", self.image_path)
        self.assertEqual(r.returncode, 0)
        self.assertIn("docs/Readme.txt", r.stdout)

    def test_changed_byte_fails_verify(self):
        start = archive_start(self.image)
        for at in (start + 40, start + (len(self.image) - start) // 2, 0x400, len(self.image) - 30):
            damaged = bytearray(self.image)
            damaged[at] ^= 0x01
            path = Path(self.root) / "damaged.exe"
            path.write_bytes(damaged)
            r = run("verify", path)
            self.assertNotEqual(r.returncode, 0, "byte %d" % at)
            self.assertIn("FAULT", r.stdout + r.stderr)

    def test_appended_bytes_fail_verify(self):
        path = Path(self.root) / "longer.exe"
        path.write_bytes(self.image + b"\0")
        self.assertNotEqual(run("verify", path).returncode, 0)


class Sample(unittest.TestCase):
    def test_sample_product_builds_without_warnings(self):
        root = Path(tempfile.mkdtemp(prefix="mksetup-sample-"))
        try:
            stage = root / "sample"
            shutil.copytree(SAMPLE_DIR, stage, ignore=shutil.ignore_patterns("app", "*.py", "*.sh"))
            (stage / "payload" / "Tidewell.exe").write_bytes(STUB.read_bytes())  # stands in for the program
            out = root / "Tidewell-setup.exe"
            r = run("build", stage / "product.toml", "-o", out, "--stub", STUB, "--uninstaller", STUB, "--quiet")
            self.assertEqual(r.returncode, 0, r.stderr)
            self.assertNotIn("warning", r.stderr)
            r = run("verify", out)
            self.assertEqual(r.returncode, 0, r.stdout)
            self.assertIn("10034  docs\\Getting Started.txt", r.stdout)
        finally:
            shutil.rmtree(root)


class Reproducible(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="mksetup-repro-")

    def tearDown(self):
        shutil.rmtree(self.root)

    def test_same_input_same_bytes(self):
        w = Workspace(self.root)
        r1, a = w.build(BASE_TOML, name="a.exe")
        r2, b = w.build(BASE_TOML, name="b.exe")
        self.assertEqual((r1.returncode, r2.returncode), (0, 0), r1.stderr + r2.stderr)
        self.assertEqual(a.read_bytes(), b.read_bytes())

    def test_source_date_epoch_fixes_every_time(self):
        env = dict(os.environ, SOURCE_DATE_EPOCH="1700000000")  # 2023-11-14 22:13:20 UTC
        w = Workspace(self.root)
        r1, a = w.build(BASE_TOML, env=env, name="a.exe")
        for f in (w.dir / "payload").rglob("*"):
            os.utime(f, (1000000000, 1000000000))
        r2, b = w.build(BASE_TOML, env=env, name="b.exe")
        self.assertEqual((r1.returncode, r2.returncode), (0, 0), r1.stderr + r2.stderr)
        self.assertEqual(a.read_bytes(), b.read_bytes())
        with zipfile.ZipFile(a) as z:
            self.assertEqual({i.date_time for i in z.infolist()}, {(2023, 11, 14, 22, 13, 20)})

    def test_large_files_are_streamed_and_stored_when_deflate_cannot_shrink(self):
        w = Workspace(self.root)
        noise = os.urandom(17 << 20)
        (w.dir / "payload" / "noise.bin").write_bytes(noise)
        (w.dir / "payload" / "zeros.bin").write_bytes(bytes(17 << 20))
        r, out = w.build(BASE_TOML)
        self.assertEqual(r.returncode, 0, r.stderr)
        with zipfile.ZipFile(out) as z:
            self.assertIsNone(z.testzip())
            self.assertEqual(z.getinfo("noise.bin").compress_type, zipfile.ZIP_STORED)
            self.assertEqual(z.getinfo("zeros.bin").compress_type, zipfile.ZIP_DEFLATED)
            self.assertEqual(z.read("noise.bin"), noise)
        self.assertEqual(run("verify", out).returncode, 0)

    def test_probe_offset_from_the_product(self):
        w = Workspace(self.root)
        r, out = w.build(BASE_TOML + "\n[setup]\nfree_space_probe_offset = 12345\n")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(stored_values(out.read_bytes())[1], 12345)


def replace(old, new):
    return lambda t: t.replace(old, new)


def add(text):
    return lambda t: t + text


def shortcuts(n):
    return add("".join('\n[[start_menu]]\ntarget = "docs\\\\Readme.txt"\nname = "R%d"\n' % k for k in range(n)))


def extras(n, length=10):
    return add("\n[uninstall]\nextra = [%s]\n" % ", ".join('"%s"' % ("%ProgDir%" + "x" * (length - 9))
                                                           for _ in range(n)))


# (case, change to the product file, change to the payload, expected line or None, text expected)
BAD = [
    *[("name has %s" % c, replace('name = "Quillmate"\ntitle', 'name = "Quill%smate"\ntitle' % c.replace("\\", "\\\\").replace('"', '\\"')),
       None, 2, "rejected in a folder name") for c in '<>:"/\\|'],
    ("title has a double quote", replace('"Quillmate 3.1"', '"Quillmate \\"3.1\\""'), None, 3, "double quote"),
    ("name 60 characters", replace('name = "Quillmate"\ntitle', 'name = "%s"\ntitle' % ("N" * 60)), None, 2,
     "at most 59"),
    ("description 255 characters", replace('log = "unstall.log"', 'log = "unstall.log"\ndescription = "%s"' % ("d" * 255)),
     None, 6, "at most 254"),
    ("caption 255 characters", add('\n[wizard]\ncaption = "%s"\n' % ("c" * 255)), None, 15, "at most 254"),
    ("log name 60 characters", replace('"unstall.log"', '"%s.log"' % ("u" * 56)), None, 5, "at most 59"),
    ("extra entry 260 characters", extras(1, 260), None, 15, "at most 259"),
    ("36 shortcuts", shortcuts(36), None, 154, "at most 35"),
    ("200 extra entries", extras(200), None, 15, "at most 199"),
    ("no product name", replace('name = "Quillmate"\ntitle', 'title'), None, 1, "name is required"),
    ("no title", replace('title = "Quillmate 3.1"\n', ''), None, 1, "title is required"),
    ("no log", replace('log = "unstall.log"\n', ''), None, 1, "log is required"),
    ("empty log", replace('log = "unstall.log"', 'log = ""'), None, 5, "must not be empty"),
    ("unknown key", replace('log = ', 'lgo = "x"\nlog = '), None, 5, "unknown key 'lgo'"),
    ("TOML syntax", replace('log = "unstall.log"', 'log = "unstall.log'), None, 5, "not valid TOML"),
    ("character outside code page 1252", replace('"Quillmate 3.1"', '"Quillmate \u540d"'), None, 3, "code page 1252"),
    ("symlink in payload", None, lambda p: os.symlink("docs/Readme.txt", p / "link.txt"), 12, "symbolic link"),
    ("pipe in payload", None, lambda p: os.mkfifo(p / "pipe"), 12, "not a regular file"),
    ("name Windows cannot create", None, lambda p: (p / "what?.txt").write_text("x"), 12, "does not allow"),
    ("names differ in case only", None, lambda p: (p / "docs/README.TXT").write_text("x"), 12, "letter case"),
    ("uninstaller name taken", None, lambda p: (p / "kestrun.exe").write_text("x"), 0, "already has a file"),
    ("4 GiB file", None, lambda p: os.truncate(p / "big.bin", 1 << 32) if (p / "big.bin").touch() is None else 0,
     12, "4 GiB or larger"),
    ("side picture wrong size", add('side_picture = "p.bmp"\n'),
     lambda p: (p.parent / "p.bmp").write_bytes(bmp(100, 226, 4)), 13, "114x226"),
    ("side picture 256 colours", add('side_picture = "p.bmp"\n'),
     lambda p: (p.parent / "p.bmp").write_bytes(bmp(114, 226, 8)), 13, "16 colours"),
    ("side picture not a BMP", add('side_picture = "p.bmp"\n'),
     lambda p: (p.parent / "p.bmp").write_bytes(b"GIF89a" + bytes(100)), 13, "not a BMP"),
    ("icon without 16x16", add('icon = "i.ico"\n'),
     lambda p: (p.parent / "i.ico").write_bytes(ico([32])), 13, "16x16"),
    ("icon not an ICO", add('icon = "i.ico"\n'),
     lambda p: (p.parent / "i.ico").write_bytes(b"\x89PNG" + bytes(40)), 13, "not an ICO"),
]


def bmp(w, h, bits):
    colours = 1 << bits
    stride = (w * bits + 31) // 32 * 4
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, 0, 0, 0, 0, 0)
    offset = 14 + 40 + 4 * colours
    return struct.pack("<2sIHHI", b"BM", offset + stride * h, 0, 0, offset) + info + bytes(4 * colours + stride * h)


def ico(sizes):
    images = []
    for s in sizes:
        data = struct.pack("<IiiHHIIiiII", 40, s, 2 * s, 1, 4, 0, 0, 0, 0, 0, 0) + bytes(64 + s * s // 2 + 4 * s)
        images.append((s, data))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in images:
        out += struct.pack("<BBBBHHII", s, s, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(d for _, d in images)


class BadInput(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="mksetup-bad-")

    def tearDown(self):
        shutil.rmtree(self.root)

    def test_base_product_builds(self):
        r, out = Workspace(self.root).build(BASE_TOML)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertTrue(out.exists())

    def test_each_rule_gives_an_error_and_no_output(self):
        for case, edit, payload_change, line, text in BAD:
            with self.subTest(case):
                w = Workspace(self.root)
                if payload_change:
                    payload_change(w.dir / "payload")
                r, out = w.build(edit(BASE_TOML) if edit else BASE_TOML)
                self.assertEqual(r.returncode, 1, r.stderr)
                self.assertIn(text, r.stderr)
                prefix = "product.toml:%d: error:" % line if line else "product.toml"
                self.assertTrue(any(prefix in l and text in l for l in r.stderr.splitlines()), r.stderr)
                self.assertFalse(out.exists())
                self.assertEqual(list(w.out.iterdir()), [], "no temporary file left behind")

    def test_limits_themselves_are_accepted(self):
        cases = [
            replace('name = "Quillmate"\ntitle', 'name = "%s"\ntitle' % ("N" * 59)),
            add('\n[wizard]\ncaption = "%s"\n' % ("d" * 254)),
            shortcuts(35),
            extras(199),
            extras(1, 259),
        ]
        for edit in cases:
            r, out = Workspace(self.root).build(edit(BASE_TOML))
            self.assertEqual(r.returncode, 0, r.stderr)

    def test_warnings_do_not_stop_the_build(self):
        w = Workspace(self.root)
        deep = w.dir / "payload" / ("d" * 120) / ("e" * 120)
        deep.mkdir(parents=True)
        (deep / "file.txt").write_text("x")
        (w.dir / "payload" / "emptydir").mkdir()
        r, out = w.build(BASE_TOML.replace('target = "bin\\\\Quillmate.exe"', 'target = "bin\\\\Missing.exe"'))
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("product.toml:8: warning: desktop shortcut target", r.stderr)
        self.assertIn("exceed 259 characters", r.stderr)
        self.assertIn("e" * 120 + "/file.txt", r.stderr)
        self.assertIn("'emptydir' is empty", r.stderr)

    def test_output_inside_the_payload(self):
        w = Workspace(self.root)
        (w.dir / "product.toml").write_text(BASE_TOML, encoding="utf-8")
        target = w.dir / "payload" / "setup.exe"
        r = run("build", w.dir / "product.toml", "-o", target, "--stub", STUB, "--uninstaller", STUB)
        self.assertEqual(r.returncode, 1)
        self.assertIn("product.toml:12: error: the output", r.stderr)
        self.assertFalse(target.exists())

    def test_stub_without_stored_values(self):
        w = Workspace(self.root)
        (w.dir / "product.toml").write_text(BASE_TOML, encoding="utf-8")
        bad = w.dir / "plain.exe"
        bad.write_bytes(STUB.read_bytes().replace(MARKER, b"X" * 16))
        target = w.out / "setup.exe"
        r = run("build", w.dir / "product.toml", "-o", target, "--stub", bad, "--uninstaller", STUB)
        self.assertEqual(r.returncode, 1)
        self.assertIn("stored-value block", r.stderr)
        self.assertEqual(list(w.out.iterdir()), [])

    def test_too_many_entries(self):
        w = Workspace(self.root)
        many = w.dir / "payload" / "many"
        many.mkdir()
        for k in range(65535):
            (many / ("%05d" % k)).touch()
        r, out = w.build(BASE_TOML)
        self.assertEqual(r.returncode, 1)
        self.assertIn("65,535 entries", r.stderr)
        self.assertFalse(out.exists())
        self.assertEqual(list(w.out.iterdir()), [])


if __name__ == "__main__":
    if not STUB.exists():
        print("no test stub at %s: build the Windows tree first" % STUB)
        sys.exit(77)
    unittest.main(argv=[sys.argv[0], "-v"])
