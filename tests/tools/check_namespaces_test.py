#!/usr/bin/env python3
"""tools/check-namespaces on one made-up header at a time: what a layer's
or a tool's header keeps in its namespace passes, anything of ours at global
scope or in another layer's or tool's namespace fails and is named with its
file and line, and text that only looks like a declaration (comments,
literals, macros, class members) is no declaration."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "check-namespaces")


def run(files):
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w", encoding="utf-8") as f:
                f.write(text)
        done = subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True)
        return done.returncode, done.stderr


# (case, header of src/engine, what the check says or None when it passes)
CASES = [
    ("the layer's namespace", "namespace torv::engine {\nstruct Store { void add(); };\nint count();\n}\n", None),
    ("a namespace nested in the layer's",
     "namespace torv::engine::contest {\ninline constexpr int kBands = 6;\n}\n", None),
    ("a given class at global scope", "class CInfo {\n    int x;\n};\n", None),
    ("the exports", 'extern "C" {\nint AddData0(int a);\n}\nextern "C" int GetNumberOfSets();\n', None),
    ("another layer's class declared where it lives",
     "namespace torv::ports {\nclass Settings;\n}\nnamespace torv::engine {\nvoid use(ports::Settings& s);\n}\n", None),
    ("a member defined outside its class", "inline int CInfo::size() const { return 0; }\n", None),
    ("look-alikes: comments, literals, macros",
     '// int commented();\n/* struct Hidden {}; */\n#define MACRO(x) int x;\n'
     'namespace torv::engine {\nconst char* kText = "int inString();";\n}\n', None),
    ("a function with a default argument and a body",
     "namespace torv::engine {\ninline int f(int a = 1) { return a; }\nint g();\n}\n", None),
    ("a global function", "#pragma once\n\nint count();\n", "src/engine/x.h:3: count is declared in the global namespace"),
    ("a global variable", "constexpr int kLimit = 32;\n", "kLimit is declared in the global namespace"),
    ("a global type alias", "using Rows = int;\n", "Rows is declared in the global namespace"),
    ("a global template", "template <typename T>\nT twice(T t) { return t + t; }\n",
     "twice is declared in the global namespace"),
    ("a global enum's enumerators", "enum Status { kValid, kNull = 2 };\n",
     "kNull is declared in the global namespace"),
    ("a global forward declaration", "class Settings;\n", "Settings is declared in the global namespace"),
    ("an anonymous namespace", "namespace {\nint hidden();\n}\n", "hidden is declared in the global namespace"),
    ("a using-directive", "namespace torv::engine {\nusing namespace std;\n}\n", "using namespace std in a header"),
    ("another layer's namespace", "namespace torv::reports {\nint total();\n}\n",
     "total is declared in torv::reports, not in torv::engine"),
    ("a namespace outside torv", "namespace engine {\nint total();\n}\n",
     "total is declared in engine, not in torv::engine"),
    ("after a class's body", "namespace torv::engine {\nstruct A {\n    int f() { return 1; }\n};\n}\nint late();\n",
     "src/engine/x.h:6: late is declared in the global namespace"),
]


# (case, header under tools/, its text, what the check says or None when it passes)
TOOL_CASES = [
    ("torv's namespace", "tools/torv/x.h", "namespace torv::cli {\nint run();\n}\n", None),
    ("contest-sim's namespace", "tools/contest-sim/x.h", "namespace torv::contestsim {\nstruct SimLog {};\n}\n", None),
    ("the host simulator's namespace", "tools/hostsim/x.h", "namespace pelksim {\nclass Simulator;\nint run();\n}\n",
     None),
    ("the host simulator naming the plug-in's owners", "tools/hostsim/x.h",
     "namespace torv::win {\nclass ModuleHandle;\n}\nnamespace pelksim {\nvoid use(torv::win::ModuleHandle& m);\n}\n",
     None),
    ("the exports in a tool", "tools/hostsim/x.h", 'extern "C" int GetNumberOfSets();\n', None),
    ("a library's class declared where it lives", "tools/torv/x.h",
     "namespace CLI {\nclass App;\n}\nnamespace torv::cli {\nvoid addCommand(CLI::App& app);\n}\n", None),
    ("a global function in torv", "tools/torv/x.h", "int run();\n",
     "tools/torv/x.h:1: run is declared in the global namespace"),
    ("a layer's namespace in torv", "tools/torv/x.h", "namespace torv::contestcheck {\nint run();\n}\n",
     "run is declared in torv::contestcheck, not in torv::cli"),
    ("the host simulator in torv::", "tools/hostsim/x.h", "namespace torv::hostsim {\nclass Simulator {};\n}\n",
     "tools/hostsim/x.h:2: Simulator is declared in torv::hostsim, not in pelksim"),
    ("the plug-in's layer in the host simulator", "tools/hostsim/x.h", "namespace torv::win {\nvoid pump();\n}\n",
     "pump is declared in torv::win, not in pelksim"),
    ("a global type in the host simulator", "tools/hostsim/x.h", "#pragma once\n\nstruct Step {};\n",
     "tools/hostsim/x.h:3: Step is declared in the global namespace"),
    ("a given class name in a tool", "tools/hostsim/x.h", "class CInfo {};\n",
     "CInfo is declared in the global namespace"),
    ("contest-sim without torv::", "tools/contest-sim/x.h", "namespace contestsim {\nstruct SimLog {};\n}\n",
     "SimLog is declared in contestsim, not in torv::contestsim"),
    ("a tool's namespace in another tool", "tools/contest-sim/x.h", "namespace torv::cli {\nint run();\n}\n",
     "run is declared in torv::cli, not in torv::contestsim"),
    ("a library's namespace holding more than a declared class", "tools/torv/x.h",
     "namespace CLI {\nclass App {};\n}\n", "App is declared in CLI, not in torv::cli"),
    ("a class declared in a namespace that is no library's", "tools/torv/x.h", "namespace cli {\nclass App;\n}\n",
     "App is declared in cli, not in torv::cli"),
    ("a tool without a namespace", "tools/newtool/x.h", "namespace torv::newtool {\nint run();\n}\n",
     "tools/newtool/x.h:1: tools/newtool has no namespace of its own"),
]


class CheckNamespaces(unittest.TestCase):
    def test_each_case(self):
        for name, header, message in CASES:
            with self.subTest(name):
                code, err = run({"src/engine/x.h": header})
                if message is None:
                    self.assertEqual((code, err), (0, ""))
                else:
                    self.assertEqual(code, 1)
                    self.assertIn(message, err)

    def test_each_tool_case(self):
        for name, path, header, message in TOOL_CASES:
            with self.subTest(name):
                code, err = run({path: header})
                if message is None:
                    self.assertEqual((code, err), (0, ""))
                else:
                    self.assertEqual(code, 1)
                    self.assertIn(message, err)

    def test_every_tool_at_once(self):
        code, err = run({
            "tools/torv/a.h": "namespace torv::cli {\nint a();\n}\n",
            "tools/contest-sim/b.h": "int b();\n",
            "tools/hostsim/c.h": "namespace pelksim {\nint c();\n}\n",
            "src/engine/d.h": "namespace torv::engine {\nint d();\n}\n",
        })
        self.assertEqual((code, err), (1, "tools/contest-sim/b.h:1: b is declared in the global namespace\n"))

    def test_source_files_are_not_read(self):
        for path in ("src/engine/x.cpp", "tools/hostsim/x.cpp", "tools/newtool/x.cpp"):
            with self.subTest(path):
                code, err = run({path: "int helper() { return 1; }\n"})
                self.assertEqual((code, err), (0, ""))


if __name__ == "__main__":
    unittest.main()
