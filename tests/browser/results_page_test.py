#!/usr/bin/env python3
"""The pages of `torv check` in a real browser (headless Chromium): a
generated contest of about 200 logs is checked, its entrants given
categories by a committee's file, in English and in Portuguese; then the
pages are opened as a visitor opens them.

  results_page_test.py TORV CONTEST_SIM
"""
import csv
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from devtools import Browser  # noqa: E402

TORV = CONTEST_SIM = None

# The categories the committee's file gives, in turn.
CATEGORIES = [("SINGLE-OP A", "ALL", "LOW", "MIXED"), ("SINGLE-OP B", "ALL", "HIGH", "MIXED"),
              ("MULTI-OP", "ALL", "HIGH", "MIXED"), ("SINGLE-OP A", "40M", "LOW", "CW")]


def check(logs, out, *options):
    done = subprocess.run([TORV, "check", logs, "--out", out, *options], stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, timeout=120)
    if done.returncode not in (0, 1):
        raise RuntimeError(done.stderr.decode(errors="replace"))


class ResultsPage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory(prefix="torv-pages-")
        root = cls.folder.name
        logs = os.path.join(root, "contest", "logs")
        subprocess.run([CONTEST_SIM, "--out", os.path.join(root, "contest"), "--stations", "220",
                        "--contacts", "6000", "--seed", "7"], check=True, stdout=subprocess.DEVNULL, timeout=120)
        # The calls as a first check finds them, then a category for each.
        check(logs, os.path.join(root, "first"))
        with open(os.path.join(root, "first", "results.csv"), encoding="utf-8") as f:
            calls = sorted(row["call"] for row in csv.DictReader(f))
        categories = os.path.join(root, "categories.csv")
        with open(categories, "w", encoding="utf-8") as f:
            f.write("call,operator,band,power,mode\n")
            for i, call in enumerate(calls):
                f.write(",".join((call,) + CATEGORIES[i % len(CATEGORIES)]) + "\n")
        for language in ("en", "pt"):
            check(logs, os.path.join(root, language), "--categories", categories, "--lang", language)
        cls.root = root
        cls.browser = Browser()

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()
        cls.folder.cleanup()

    def open(self, page):
        self.browser.errors.clear()
        self.browser.open("file://" + os.path.join(self.root, page))

    def setUp(self):
        self.open("en/results.html")

    def visible_calls(self, table=None):
        scope = f"document.querySelectorAll('table.results')[{table}]" if table is not None else "document"
        return self.browser.evaluate(
            f"Array.from({scope}.querySelectorAll('tbody tr')).filter(r => !r.hidden && r.offsetParent !== null)"
            ".map(r => r.cells[1].textContent)")

    def test_the_pages_load_without_errors(self):
        self.assertEqual(self.browser.evaluate("document.querySelectorAll('table.results').length"),
                         len(CATEGORIES))
        self.assertGreater(self.browser.evaluate("document.querySelectorAll('table.results tbody tr').length"), 100)
        self.assertEqual(self.browser.evaluate("document.getElementById('find').hidden"), False)
        self.assertEqual(self.browser.errors, [])
        for page in ("en/committee.html", "pt/results.html", "pt/committee.html"):
            self.open(page)
            self.assertEqual(self.browser.errors, [], page)

    def test_clicking_a_column_header_sorts(self):
        by_rank = self.visible_calls(0)
        self.browser.click("table.results thead th:nth-child(2)")  # the call
        self.browser.wait_until("document.querySelector('table.results th[aria-sort]') !== null", "sorted")
        self.assertEqual(self.visible_calls(0), sorted(by_rank))
        self.browser.click("table.results thead th:nth-child(2)")
        self.browser.wait_until("document.querySelector('table.results th[aria-sort=descending]') !== null",
                                "sorted the other way")
        self.assertEqual(self.visible_calls(0), sorted(by_rank, reverse=True))
        # Numbers sort as numbers: the checked score, low to high.
        self.browser.click("table.results thead th:nth-child(8)")
        scores = self.browser.evaluate("Array.from(document.querySelector('table.results').tBodies[0].rows)"
                                       ".map(r => Number(r.cells[7].textContent))")
        self.assertEqual(scores, sorted(scores))
        self.assertGreater(len(set(scores)), 10)
        self.assertEqual(self.browser.errors, [])

    def test_typing_a_call_leaves_only_its_row(self):
        calls = self.visible_calls()
        call = calls[len(calls) // 2]
        self.browser.type_into("#call", call.lower())
        self.browser.wait_until("document.querySelectorAll('table.results tbody tr:not([hidden])').length === 1",
                                "one row left")
        self.assertEqual(self.visible_calls(), [call])
        # Part of a call leaves the calls that hold it.
        self.browser.evaluate("(() => { const b = document.getElementById('call'); b.value = '';"
                              " b.dispatchEvent(new Event('input')); })()")
        self.browser.type_into("#call", call[:3])
        self.browser.wait_until("document.querySelectorAll('table.results tbody tr:not([hidden])').length > 1",
                                "the calls holding the text")
        self.assertEqual(sorted(self.visible_calls()), sorted(c for c in calls if call[:3] in c))
        self.assertEqual(self.browser.errors, [])

    def test_a_call_opens_its_ubn_page(self):
        call = self.browser.evaluate("document.querySelector('a[href^=\"ubn/\"]').textContent")
        self.browser.click('a[href^="ubn/"]')
        self.browser.wait_until(f"location.pathname.endsWith('/ubn/' + {call!r}.replace(/\\//g, '_') + '.html')"
                                " && document.readyState === 'complete'", f"the UBN page of {call}")
        self.assertIn(call, self.browser.evaluate("document.querySelector('h1').textContent"))
        self.assertEqual(self.browser.evaluate("document.querySelectorAll('svg.chart').length"), 1)
        self.assertEqual(self.browser.errors, [])

    def test_the_portuguese_page(self):
        self.open("pt/results.html")
        self.assertEqual(self.browser.evaluate("document.documentElement.lang"), "pt-BR")
        self.assertIn("resultados verificados", self.browser.evaluate("document.querySelector('h1').textContent"))
        headings = self.browser.evaluate("Array.from(document.querySelectorAll('table.results:first-of-type "
                                         "thead th')).map(h => h.textContent)")
        for word in ("Posição", "Indicativo", "Pontuação verificada", "Não consta no log",
                     "Contatos por hora (UTC)"):
            self.assertIn(word, headings)
        self.assertIn("Procurar indicativo", self.browser.evaluate("document.getElementById('find').textContent"))
        self.browser.click('a[href^="ubn/"]')
        self.browser.wait_until("location.pathname.includes('/ubn/') && document.readyState === 'complete'",
                                "a UBN page")
        self.assertEqual(self.browser.evaluate("document.documentElement.lang"), "pt-BR")
        self.assertIn("relatório UBN de", self.browser.evaluate("document.querySelector('h1').textContent"))
        self.assertEqual(self.browser.errors, [])


if __name__ == "__main__":
    TORV, CONTEST_SIM = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1] + sys.argv[3:])
