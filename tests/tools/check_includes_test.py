#!/usr/bin/env python3
"""tools/check-includes on small made-up trees, each with its own table:
includes along the table pass, any other fails and is named with its file
and line, a circle fails even where the table allows it, a layer without a
row fails, and system headers or names of no folder are no edges."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "check-includes")

RULES = """\
# made up
ports:
engine: ports
plugin: engine ports
tools/torv: plugin engine
tests: * tests/support
"""


def run(files, rules=RULES):
    with tempfile.TemporaryDirectory() as root:
        files = dict(files)
        files.setdefault("tools/layers.txt", rules)
        for path, text in files.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w", encoding="utf-8") as f:
                f.write(text)
        done = subprocess.run([sys.executable, SCRIPT, "--graph", root], capture_output=True, text=True)
        return done.returncode, done.stdout, done.stderr


ONE_WAY = {
    "src/ports/a.h": "#pragma once\n#include <vector>\n",
    "src/engine/b.h": '#include "ports/a.h"\n#include "engine/c.h"\n',
    "src/engine/c.h": "",
    "src/plugin/d.cpp": '#include "engine/b.h"\n#include "ports/a.h"\n#include "resource.h"\n',
    "tools/torv/main.cpp": '#include "plugin/d.h"\n#include "score.h"\n#include "gtest/gtest.h"\n',
    "tests/support/fakes.h": '#include "engine/b.h"\n',
    "tests/engine_test.cpp": '#include "support/fakes.h"\n#include "torv/main.h"\n#include "plugin/d.h"\n',
}


class CheckIncludes(unittest.TestCase):
    def test_includes_along_the_table_pass(self):
        code, out, err = run(ONE_WAY)
        self.assertEqual(code, 0, err)
        self.assertIn("plugin -> engine, ports", out)
        self.assertIn("ports -> (nothing)", out)

    def test_forbidden_includes_fail_and_are_named(self):
        cases = [
            ("a layer upward", "src/engine/e.cpp", '#include "plugin/d.h"\n', "engine may not include plugin"),
            ("a tool past its row", "tools/torv/x.cpp", '#include "ports/a.h"\n', "tools/torv may not include ports"),
            ("src into a tool", "src/plugin/y.cpp", '#include "torv/main.h"\n', "plugin may not include tools/torv"),
            ("the tests' support from src", "src/engine/z.cpp", '#include "support/fakes.h"\n',
             "engine may not include tests/support"),
        ]
        for name, path, text, message in cases:
            with self.subTest(name):
                code, _, err = run({**ONE_WAY, path: text})
                self.assertEqual(code, 1)
                self.assertIn(message, err)
                self.assertIn(path, err)

    def test_a_circle_fails_even_where_the_table_allows_it(self):
        rules = "a: b\nb: c\nc: a\n"
        code, _, err = run({
            "src/a/x.h": '#include "b/y.h"\n',
            "src/b/y.cpp": '#include "c/z.h"\n',
            "src/c/z.h": '  #  include "a/x.h"\n',
        }, rules)
        self.assertEqual(code, 1)
        self.assertIn("include cycle between folders of src/", err)
        self.assertIn('src/b/y.cpp: #include "c/z.h"', err)

    def test_a_layer_without_a_row_fails(self):
        code, _, err = run({**ONE_WAY, "src/extra/e.h": ""})
        self.assertEqual(code, 1)
        self.assertIn("src/extra", err)


if __name__ == "__main__":
    unittest.main()
