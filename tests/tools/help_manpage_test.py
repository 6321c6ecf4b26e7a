#!/usr/bin/env python3
"""cmake/help-manpage, torv's manual page made from its help: roff escapes
and help bodies as tables of inputs and the exact requests they give, and
whole pages made from a stand-in torv whose help lists a command more and a
footer of exit codes than today's, so the page follows whatever the help
says; a help that lists no command, or a torv that fails, is an error."""
import gzip
import importlib.machinery
import importlib.util
import os
import stat
import subprocess
import sys
import tempfile
import textwrap
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake", "help-manpage")
_loader = importlib.machinery.SourceFileLoader("help_manpage", SCRIPT)
_spec = importlib.util.spec_from_loader("help_manpage", _loader)
help_manpage = importlib.util.module_from_spec(_spec)
_loader.exec_module(help_manpage)

# (text, as roff reads it literally)
ESCAPES = [
    ("--window INT", "\\-\\-window INT"),
    (".hidden request", "\\&.hidden request"),
    ("'quote start", "\\&'quote start"),
    ("a\\b", "a\\eb"),
    ("plain", "plain"),
]

# (case, help body lines, man(7) requests)
BODIES = [
    ("a heading and entries with their descriptions",
     ["Options:", "  -h,--help                   Print this help", "  --json                      Also JSON"],
     [".PP", "\\fBOptions:\\fR", ".TP", "\\fB\\-h,\\-\\-help\\fR", "Print this help", ".TP", "\\fB\\-\\-json\\fR",
      "Also JSON"]),
    ("a long term whose description goes on below it",
     ["  --window INT:INT in [0 - 1440]=5", "                              Most minutes", "                       "
      "       between sides"],
     [".TP", "\\fB\\-\\-window INT:INT in [0 \\- 1440]=5\\fR", "Most minutes between sides"]),
    ("a description that goes on in deeper lines",
     ["  0   everything read", "        and written", "  2   usage"],
     [".TP", "\\fB0\\fR", "everything read and written", ".TP", "\\fB2\\fR", "usage"]),
    ("prose refilled into one paragraph per blank line",
     ["Checks a contest.", "More words.", "", "Second."],
     [".PP", "Checks a contest. More words.", ".PP", "Second."]),
    ("indented lines of one column kept as they are",
     ["Examples:", "  torv check logs/ --out results", "  torv score a.cbr"],
     [".PP", "\\fBExamples:\\fR", ".PP", ".nf", "torv check logs/ \\-\\-out results", "torv score a.cbr", ".fi"]),
]

STAND_IN = '''\
#!{python}
import sys
helps = {{
    ("--version",): "torv 9.8.7",
    ("--help",): """Usage: torv [OPTIONS] SUBCOMMAND

A test stand-in

Options:
  -h,--help                   Print this help message and exit

{heading}
  score                       Score one log
  categories                  Write the categories CSV
""",
    ("score", "--help"): """Score one log
Usage: torv score [OPTIONS] LOG

Options:
  --strict                    Stop at the first bad record

Exit codes:
  0  everything read
  1  input problems
""",
    ("categories", "--help"): """Write the categories CSV
Usage: torv categories [OPTIONS] LOGS...

Options:
  --out TEXT:FILE             The CSV (default: standard output)
""",
}}
text = helps.get(tuple(sys.argv[1:]))
if text is None or {fail}:
    sys.stderr.write("torv: no such help\\n")
    sys.exit(2)
print(text)
'''


def make_torv(folder, heading="Subcommands:", fail="False"):
    path = os.path.join(folder, "torv")
    with open(path, "w", encoding="utf-8") as file:
        file.write(STAND_IN.format(python=sys.executable, heading=heading, fail=fail))
    os.chmod(path, os.stat(path).st_mode | stat.S_IXUSR)
    return path


def run(torv, output):
    return subprocess.run([sys.executable, SCRIPT, torv, output], capture_output=True, text=True, timeout=60)


class Pieces(unittest.TestCase):
    def test_escapes(self):
        for text, expected in ESCAPES:
            with self.subTest(text):
                self.assertEqual(help_manpage.roff(text), expected)

    def test_bodies(self):
        for case, lines, expected in BODIES:
            with self.subTest(case):
                self.assertEqual(help_manpage.body_roff(lines), expected)


class Pages(unittest.TestCase):
    def test_the_page_follows_the_help(self):
        with tempfile.TemporaryDirectory() as folder:
            torv = make_torv(folder, heading="Commands:")
            done = run(torv, os.path.join(folder, "torv.1"))
            self.assertEqual(done.returncode, 0, done.stderr)
            with open(os.path.join(folder, "torv.1"), encoding="utf-8") as file:
                page = file.read()
        expected = textwrap.dedent("""\
            .TH TORV 1 "" "torv 9.8.7" "User Commands"
            .\\" Made from torv's own help by cmake/help-manpage; edit the help, not this page.
            .nh
            .ad l
            .SH NAME
            torv \\- A test stand\\-in
            .SH SYNOPSIS
            \\fBtorv [OPTIONS] SUBCOMMAND\\fR
            .br
            \\fBtorv score [OPTIONS] LOG\\fR
            .br
            \\fBtorv categories [OPTIONS] LOGS...\\fR
            .br
            .SH DESCRIPTION
            .PP
            A test stand\\-in
            .PP
            \\fBOptions:\\fR
            .TP
            \\fB\\-h,\\-\\-help\\fR
            Print this help message and exit
            .PP
            \\fBCommands:\\fR
            .TP
            \\fBscore\\fR
            Score one log
            .TP
            \\fBcategories\\fR
            Write the categories CSV
            .SH COMMANDS
            .SS torv score
            .PP
            Score one log
            .PP
            \\fBtorv score [OPTIONS] LOG\\fR
            .PP
            \\fBOptions:\\fR
            .TP
            \\fB\\-\\-strict\\fR
            Stop at the first bad record
            .PP
            \\fBExit codes:\\fR
            .TP
            \\fB0\\fR
            everything read
            .TP
            \\fB1\\fR
            input problems
            .SS torv categories
            .PP
            Write the categories CSV
            .PP
            \\fBtorv categories [OPTIONS] LOGS...\\fR
            .PP
            \\fBOptions:\\fR
            .TP
            \\fB\\-\\-out TEXT:FILE\\fR
            The CSV (default: standard output)
            .SH SEE ALSO
            .PP
            """)
        self.assertTrue(page.startswith(expected), page)
        self.assertIn("/usr/share/doc/torv/COMMITTEE.txt", page)

    def test_a_gz_page_is_the_same_page_with_no_time_in_it(self):
        with tempfile.TemporaryDirectory() as folder:
            torv = make_torv(folder)
            self.assertEqual(run(torv, os.path.join(folder, "torv.1")).returncode, 0)
            self.assertEqual(run(torv, os.path.join(folder, "torv.1.gz")).returncode, 0)
            with open(os.path.join(folder, "torv.1"), "rb") as plain, open(os.path.join(folder, "torv.1.gz"),
                                                                            "rb") as packed:
                data = packed.read()
                self.assertEqual(gzip.decompress(data), plain.read())
            self.assertEqual(data[4:8], b"\0\0\0\0")  # mtime
            self.assertEqual(data[3] & 0x08, 0)  # no file name

    def test_failures(self):
        # (case, stand-in's commands heading, whether its helps fail, message)
        rows = [
            ("no commands listed", "Other:", "False", "lists no commands"),
            ("a help that fails", "Subcommands:", "True", "exited 2: torv: no such help"),
        ]
        for case, heading, fail, message in rows:
            with self.subTest(case), tempfile.TemporaryDirectory() as folder:
                done = run(make_torv(folder, heading, fail), os.path.join(folder, "torv.1"))
                self.assertEqual(done.returncode, 1)
                self.assertIn(message, done.stderr)
                self.assertFalse(os.path.exists(os.path.join(folder, "torv.1")))


if __name__ == "__main__":
    unittest.main()
