#!/usr/bin/env python3
"""tools/check-include-cycles on small made-up trees: one-way folders pass,
a circle fails and is named, includes of a folder's own files, system
headers and names that are no folder of the tree are not edges."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "check-include-cycles")


def run(files):
    with tempfile.TemporaryDirectory() as src:
        for path, text in files.items():
            full = os.path.join(src, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w", encoding="utf-8") as f:
                f.write(text)
        done = subprocess.run([sys.executable, SCRIPT, "--graph", src], capture_output=True, text=True)
        return done.returncode, done.stdout, done.stderr


class CheckIncludeCycles(unittest.TestCase):
    def test_one_way_folders_pass(self):
        code, out, err = run({
            "ports/a.h": "#pragma once\n",
            "engine/b.h": '#include "ports/a.h"\n#include "engine/c.h"\n',
            "engine/c.h": "#include <vector>\n",
            "plugin/d.cpp": '#include "engine/b.h"\n#include "ports/a.h"\n#include "resource.h"\n',
        })
        self.assertEqual(code, 0, err)
        self.assertIn("plugin -> engine, ports", out)
        self.assertIn("ports -> (nothing)", out)

    def test_a_circle_fails_and_is_named(self):
        code, _, err = run({
            "engine/a.h": '#include "assistant/b.h"\n',
            "assistant/b.cpp": '#include "infowin/c.h"\n',
            "infowin/c.h": '  #  include "engine/a.h"\n',
        })
        self.assertEqual(code, 1)
        self.assertIn("include cycle between folders of src/", err)
        for folder in ("engine", "assistant", "infowin"):
            self.assertIn(folder, err)
        self.assertIn('assistant/b.cpp: #include "infowin/c.h"', err)

    def test_includes_naming_no_folder_of_the_tree_are_no_edges(self):
        code, out, err = run({
            "engine/a.h": '#include "gtest/gtest.h"\n#include "support/fakes.h"\n',
            "support/b.h": "",
        })
        self.assertEqual(code, 0, err)
        self.assertIn("engine -> support", out)


if __name__ == "__main__":
    unittest.main()
