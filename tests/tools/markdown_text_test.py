#!/usr/bin/env python3
"""cmake/markdown-text, the converter of the release's texts: a table of
Markdown inputs and the exact plain text each gives (natively and with
--windows), the command line's --until and line ends, and the tree's own
documents, which must convert with no Markdown syntax left."""
import importlib.machinery
import importlib.util
import os
import re
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
SCRIPT = os.path.join(ROOT, "cmake", "markdown-text")
_loader = importlib.machinery.SourceFileLoader("markdown_text", SCRIPT)
_spec = importlib.util.spec_from_loader("markdown_text", _loader)
markdown_text = importlib.util.module_from_spec(_spec)
_loader.exec_module(markdown_text)

# (case, Markdown, plain text, plain text with --windows or None when the same)
CASES = [
    ("headings, underlined by level", "# Title\n\n## A part\n\n### Smaller\n\nText.\n",
     "Title\n=====\n\nA part\n------\n\nSmaller\n\nText.\n", None),
    ("a heading's closing hashes", "## Closed ##\n", "Closed\n------\n", None),
    ("emphasis and strong", "**Bold** and *italic* and __under__, 2 * 3 * 4 stays.\n",
     "Bold and italic and under, 2 * 3 * 4 stays.\n", None),
    ("code spans: one word bare, blanks or no letter in quotes",
     "Run `torv`, then `torv check`; `-` is standard output.\n",
     'Run torv, then "torv check"; "-" is standard output.\n', None),
    ("a code span already in quotes", 'It says "`no band`".\n', 'It says "no band".\n', None),
    ("no escape inside a code span; an escaped backtick starts none",
     "In `examples\\contest\\` and \\`not code\\` and \\*star\\*.\n",
     "In examples\\contest\\ and `not code` and *star*.\n", None),
    ("a double-backtick span holding a backtick", "Type `` a`b `` here.\n", "Type a`b here.\n", None),
    ("links: relative ones their text, web ones with the address",
     "See [the guide](docs/committee.md) and [Keep a Changelog](https://keepachangelog.com/) "
     "or <https://example.org/x>.\n",
     "See the guide and Keep a Changelog (https://keepachangelog.com/) or\nhttps://example.org/x.\n", None),
    ("a link whose text is its address", "[https://a.example/](https://a.example/)\n", "https://a.example/\n", None),
    ("pictures and comments left out",
     "Before.\n\n![Setup](docs/a.png) ![Call](docs/b.png)\n\n<!-- a note\nover lines -->\nAfter ![x](y.png) it.\n",
     "Before.\n\nAfter  it.\n", None),
    ("a paragraph refilled to 76 columns",
     "one two three four five six seven eight nine ten eleven twelve thirteen\nfourteen fifteen sixteen "
     "seventeen\n",
     "one two three four five six seven eight nine ten eleven twelve thirteen\nfourteen fifteen sixteen "
     "seventeen\n", None),
    ("a long paragraph wrapped, hyphenated words and options kept whole",
     "word " * 14 + "--categories 2026-03-14T23:30 end.\n",
     "word " * 13 + "word\n--categories 2026-03-14T23:30 end.\n", None),
    ("bullets with hanging indent, tight",
     "- first item that is long enough to be wrapped onto a second line of the output text\n"
     "  going on\n- second\n",
     "- first item that is long enough to be wrapped onto a second line of the\n  output text going on\n"
     "- second\n", None),
    ("a numbered list; a wrapped number is no item",
     "1. one (exit code\n   1) and on\n2. two\n\nText (exit code\n1) and on.\n\n- a (code\n  2. b)\n",
     "1. one (exit code 1) and on\n2. two\n\nText (exit code 1) and on.\n\n- a (code 2. b)\n", None),
    ("a nested bullet and an item's second paragraph",
     "- outer\n  - inner\n- next\n\n  more of next\n",
     "- outer\n  - inner\n- next\n\n  more of next\n", None),
    ("a narrow table as aligned columns",
     "| key | line |\n|---|:---:|\n| `Name` | `NAME` |\n| `Email` | `E-MAIL` |\n",
     "key    line\n-----  ------\nName   NAME\nEmail  E-MAIL\n", None),
    ("a wide two-column table as entries",
     "| file | what it is |\n|---|---|\n| `err.txt` | " + "why contacts do not count " * 4 + "|\n| `a\\|b` | x |\n",
     "err.txt\n    why contacts do not count why contacts do not count why contacts do not\n"
     "    count why contacts do not count\na|b\n    x\n", None),
    ("a wide table of three columns names the others",
     "| file | holds | published |\n|---|---|---|\n| `results.html` | " + "the ranked tables " * 4 + "| yes |\n",
     "results.html\n    holds: the ranked tables the ranked tables the ranked tables the ranked\n"
     "    tables\n    published: yes\n", None),
    ("HTML entities and tags", "A &amp; B<br> &lt;call&gt;\n", "A & B <call>\n", None),
    ("a code block as it is, tabs and trailing blanks kept",
     "```\n\tContestant: PY2ZZ \n\n  indented\n```\n",
     "    \tContestant: PY2ZZ \n\n      indented\n", None),
    ("a usage block: torv.exe, continuation lines kept under it",
     "```\ntorv check LOGS... --out DIR [--lang en|pt]\n           [--json]\ntorv help        torv --version\n```\n",
     "    torv check LOGS... --out DIR [--lang en|pt]\n               [--json]\n    torv help        torv --version\n",
     "    torv.exe check LOGS... --out DIR [--lang en|pt]\n                   [--json]\n"
     "    torv.exe help        torv.exe --version\n"),
    ("a command with a prompt: its output stays, folders get backslashes",
     "```sh\n$ torv score examples/torv-sample.adi --cabrillo PY2ZZ.cbr\n      TORV 12.09\nsee checked/x\n```\n",
     "    $ torv score examples/torv-sample.adi --cabrillo PY2ZZ.cbr\n          TORV 12.09\n    see checked/x\n",
     "    > torv.exe score examples\\torv-sample.adi --cabrillo PY2ZZ.cbr\n          TORV 12.09\n"
     "    see checked/x\n"),
    ("a continued command: ^ for the backslash, the next line mapped too",
     "```sh\ntorv check submitted/ --out checked \\\n    --categories lists/categories.csv\nsed -n 1p a/b\n```\n",
     "    torv check submitted/ --out checked \\\n        --categories lists/categories.csv\n    sed -n 1p a/b\n",
     "    torv.exe check submitted\\ --out checked ^\n        --categories lists\\categories.csv\n"
     "    sed -n 1p a/b\n"),
    ("only torv's lines are commands", "```\ntorvald/x\ncontest-sim --out a/b\n```\n",
     "    torvald/x\n    contest-sim --out a/b\n", None),
    ("a quote indented", "> quoted\n> text\n", "    quoted text\n", None),
]

# What no plain text may hold (the release check looks for the same).
MARKDOWN_SYNTAX = [r"^#{1,6} ", r"\*\*", r"`", r"^\s*\|.*\|\s*$", r"\[[^\]\n]*\]\([^)\n]*\)", r"!\[", r"<!--"]


class Conversions(unittest.TestCase):
    def test_table(self):
        for case, markdown, text, windows in CASES:
            with self.subTest(case):
                self.assertEqual(markdown_text.convert(markdown), text)
                self.assertEqual(markdown_text.convert(markdown, windows=True), windows or text)

    def test_an_unended_comment_is_an_error(self):
        with self.assertRaises(ValueError):
            markdown_text.convert("text\n<!-- never ends\n")


class CommandLine(unittest.TestCase):
    def run_script(self, markdown, *options):
        with tempfile.TemporaryDirectory() as folder:
            source, target = os.path.join(folder, "in.md"), os.path.join(folder, "out.txt")
            with open(source, "w", encoding="utf-8") as file:
                file.write(markdown)
            done = subprocess.run([sys.executable, SCRIPT, source, target, *options], capture_output=True, text=True,
                                  timeout=60)
            data = None
            if os.path.exists(target):
                with open(target, "rb") as file:
                    data = file.read()
            return done.returncode, done.stderr, data

    def test_until_and_line_ends(self):
        # (options, exit code, bytes written or the message's start)
        rows = [
            ((), 0, "A\n=\n\nb é\n\nc\n".encode()),
            (("--windows",), 0, "A\r\n=\r\n\r\nb é\r\n\r\nc\r\n".encode()),
            (("--until", "<!-- end -->"), 0, "A\n=\n\nb é\n".encode()),
            (("--until", "<!-- end -->", "--windows"), 0, "A\r\n=\r\n\r\nb é\r\n".encode()),
            (("--until", "<!-- missing -->"), 1, 'markdown-text: '),
        ]
        for options, code, expected in rows:
            with self.subTest(options):
                returncode, stderr, data = self.run_script("# A\n\nb é\n<!-- end -->\nc\n", *options)
                self.assertEqual(returncode, code, stderr)
                if code == 0:
                    self.assertEqual(data, expected)
                else:
                    self.assertTrue(stderr.startswith(expected), stderr)
                    self.assertIn("has no line", stderr)


class TreeDocuments(unittest.TestCase):
    def test_no_markdown_syntax_left(self):
        for name in ("README.md", os.path.join("docs", "committee.md"), "CHANGELOG.md"):
            with open(os.path.join(ROOT, name), encoding="utf-8") as file:
                markdown = file.read()
            for windows in (False, True):
                text = markdown_text.convert(markdown, windows)
                for pattern in MARKDOWN_SYNTAX:
                    found = re.search(pattern, text, re.MULTILINE)
                    with self.subTest(name=name, windows=windows, pattern=pattern):
                        self.assertIsNone(found, found and text[max(0, found.start() - 60):found.end() + 60])


if __name__ == "__main__":
    unittest.main()
