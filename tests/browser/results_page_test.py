#!/usr/bin/env python3
"""The pages of `torv check` in a real browser (headless Chromium): a
generated contest of about 200 logs is checked, then results.html is opened
as a committee's visitor opens it.

  results_page_test.py TORV CONTEST_SIM
"""
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from devtools import Browser  # noqa: E402

TORV = CONTEST_SIM = None


class ResultsPage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory(prefix="torv-pages-")
        root = cls.folder.name
        subprocess.run([CONTEST_SIM, "--out", os.path.join(root, "contest"), "--stations", "220",
                        "--contacts", "6000", "--seed", "7"], check=True, stdout=subprocess.DEVNULL, timeout=120)
        done = subprocess.run([TORV, "check", os.path.join(root, "contest", "logs"), "--out",
                               os.path.join(root, "checked")], stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE, timeout=120)
        if done.returncode not in (0, 1):
            raise RuntimeError(done.stderr.decode(errors="replace"))
        cls.results = "file://" + os.path.join(root, "checked", "results.html")
        cls.browser = Browser()

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()
        cls.folder.cleanup()

    def setUp(self):
        self.browser.errors.clear()
        self.browser.open(self.results)

    def test_the_page_loads_without_errors(self):
        self.assertGreater(self.browser.evaluate("document.querySelectorAll('table tr').length"), 100)
        self.assertEqual(self.browser.errors, [])

    def test_a_call_opens_its_ubn_page(self):
        call = self.browser.evaluate("document.querySelector('a[href^=\"ubn/\"]').textContent")
        self.browser.click('a[href^="ubn/"]')
        self.browser.wait_until(f"location.pathname.endsWith('/ubn/' + {call!r}.replace(/\\//g, '_') + '.html')"
                                " && document.readyState === 'complete'", f"the UBN page of {call}")
        self.assertIn(call, self.browser.evaluate("document.body.innerText"))
        self.assertEqual(self.browser.errors, [])


if __name__ == "__main__":
    TORV, CONTEST_SIM = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1] + sys.argv[3:])
