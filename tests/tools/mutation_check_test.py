#!/usr/bin/env python3
"""tools/mutation-check's mutants, line by line: each operator of a line
gives one mutant, and string literals, comments, includes, templates and
casts give none."""
import importlib.machinery
import os
import sys
import tempfile
import types
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "mutation-check")
# The script has no .py name, so it is loaded by hand as a module.
mutation_check = types.ModuleType("mutation_check")
importlib.machinery.SourceFileLoader("mutation_check", SCRIPT).exec_module(mutation_check)


def mutated_lines(line):
    with tempfile.NamedTemporaryFile("w", suffix=".cpp", delete=False) as f:
        f.write(line + "\n")
    try:
        _, found = mutation_check.mutants(f.name)
    finally:
        os.unlink(f.name)
    return sorted(after for _, _, _, after in found)


class Mutants(unittest.TestCase):
    CASES = [
        ("a comparison and a conjunction", "if (a == b && c < d) {",
         ["if (a != b && c < d) {", "if (a == b && c <= d) {", "if (a == b || c < d) {"]),
        ("the other comparisons", "x = a != b || c >= d || e > f || g <= h;",
         ["x = a != b && c >= d || e > f || g <= h;", "x = a != b || c > d || e > f || g <= h;",
          "x = a != b || c >= d && e > f || g <= h;", "x = a != b || c >= d || e > f || g < h;",
          "x = a != b || c >= d || e > f && g <= h;", "x = a != b || c >= d || e >= f || g <= h;",
          "x = a == b || c >= d || e > f || g <= h;"]),
        ("off by one", "n = i + 1 - 1;", ["n = i + 1 + 1;", "n = i - 1 - 1;"]),
        ("a constant", "bool ok = true;", ["bool ok = false;"]),
        ("an arrow and a shift are no comparisons", "out << p->x;", []),
        ("a string and a comment", 'log("a == b"); // c < d', []),
        ("an include", "#include <vector>", []),
        ("a template argument", "std::vector<int> v;", []),
        ("a cast", "n = static_cast<int>(m);", []),
        ("a comment line", "// if (a == b)", []),
    ]

    def test_each_operator_gives_one_mutant(self):
        for description, line, expected in self.CASES:
            with self.subTest(description):
                self.assertEqual(mutated_lines(line), sorted(expected))


class Bounds(unittest.TestCase):
    def test_a_run_is_held_to_200_mutants_and_30_minutes(self):
        for arguments in (["--sample", "201"], ["--sample", "0"], ["--minutes", "31"]):
            with self.subTest(arguments):
                with self.assertRaises(SystemExit) as raised:
                    saved = sys.argv
                    sys.argv = ["mutation-check", *arguments, "x.cpp"]
                    try:
                        mutation_check.main()
                    finally:
                        sys.argv = saved
                self.assertEqual(raised.exception.code, 2)


if __name__ == "__main__":
    unittest.main()
