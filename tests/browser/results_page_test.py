#!/usr/bin/env python3
"""The pages of `torv check` in a real browser (headless Chromium): a
generated contest of about 200 logs is checked, its entrants given
categories and clubs by a committee's file, some logs carrying a soapbox
text and a CLUB header, in English and in Portuguese; then the pages are
opened as a visitor opens them, at a desktop's and at a phone's width.

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
# The clubs the committee's file gives, in turn (one spelling in two ways),
# and a soapbox text that must reach the page as text.
CLUBS = ["Radio Clube  Sul", "", " radio clube sul", "Grupo Norte", "Grupo Norte", ""]
SOAPBOX = "73 & thanks <script>document.title='x'</script>"


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
        # A few Cabrillo logs carry a soapbox and a club of their own.
        cabrillo = sorted(name for name in os.listdir(logs) if name.endswith(".cbr"))[:5]
        for name in cabrillo:
            path = os.path.join(logs, name)
            with open(path, encoding="utf-8") as f:
                text = f.read()
            text = text.replace("START-OF-LOG: 3.0\n", "START-OF-LOG: 3.0\nSOAPBOX: " + SOAPBOX +
                                "\nSOAPBOX: second line\nCLUB: Header Club\n", 1)
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
        # The calls as a first check finds them, then a category for each,
        # and a club for those whose log names none.
        check(logs, os.path.join(root, "first"))
        with open(os.path.join(root, "first", "results.csv"), encoding="utf-8") as f:
            calls = sorted(row["call"] for row in csv.DictReader(f))
        categories = os.path.join(root, "categories.csv")
        with open(categories, "w", encoding="utf-8") as f:
            f.write("call,operator,band,power,mode,club\n")
            for i, call in enumerate(calls):
                club = "" if call + ".cbr" in cabrillo else CLUBS[i % len(CLUBS)]
                f.write(",".join((call,) + CATEGORIES[i % len(CATEGORIES)] + (club,)) + "\n")
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

    def at_width(self, width):
        self.browser.call("Emulation.setDeviceMetricsOverride", width=width, height=900, deviceScaleFactor=1,
                          mobile=False)

    def tearDown(self):
        self.browser.call("Emulation.clearDeviceMetricsOverride")

    def visible_calls(self, table=None):
        # The results tables' rows: the other sections' tables keep theirs.
        scope = f"document.querySelectorAll('table.results')[{table}]" if table is not None else "document"
        return self.browser.evaluate(
            f"Array.from({scope}.querySelectorAll('{'tbody' if table is not None else 'table.results tbody'} tr')).filter(r => !r.hidden && r.offsetParent !== null)"
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

    # The page checks, each run on the English and the Portuguese pages: a
    # name, the page, the window's width (None: as it opens) and what must
    # hold there.
    def no_sideways_scroll(self):
        width = self.browser.evaluate("[document.documentElement.scrollWidth, document.documentElement.clientWidth]")
        wide = self.browser.evaluate(
            "Array.from(document.querySelectorAll('body > *')).filter(e => e.getBoundingClientRect().right > "
            "document.documentElement.clientWidth).map(e => e.tagName + ' ' + e.textContent.slice(0, 60))")
        self.assertLessEqual(width[0], width[1], f"the page scrolls sideways: {wide}")

    def rank_call_and_score_in_view(self):
        self.no_sideways_scroll()
        out = self.browser.evaluate(
            "(() => { const w = document.documentElement.clientWidth, out = [];"
            " document.querySelectorAll('table.results tbody tr').forEach(r => [0, 1, 7].forEach(i => {"
            " const b = r.cells[i].getBoundingClientRect();"
            " if (b.width === 0 || b.left < 0 || b.right > w) out.push(r.id + ':' + i); })); return out; })()")
        self.assertEqual(out, [], "cells out of view")
        self.assertGreater(self.browser.evaluate("document.querySelectorAll('table.results tbody tr').length"), 100)

    def contents_link_each_table(self):
        entries = self.browser.evaluate(
            "Array.from(document.querySelectorAll('#contents a')).map(a => [a.getAttribute('href'), a.textContent])")
        tables = self.browser.evaluate(
            "Array.from(document.querySelectorAll('table.results')).map(t => "
            "[t.previousElementSibling.id, t.previousElementSibling.textContent, t.tBodies[0].rows.length])")
        self.assertEqual(len(tables), len(CATEGORIES))
        for ident, title, rows in tables:
            self.assertIn([f"#{ident}", f"{title} ({rows})"], entries)
        for href, _ in entries:
            if href.startswith("#"):
                self.assertTrue(self.browser.evaluate(f"document.getElementById({href[1:]!r}) !== null"), href)
            else:
                self.assertEqual(href, "soapbox.html")
        sections = [href for href, _ in entries if not href.startswith("#category-")]
        self.assertEqual(sections, ["#states", "#clubs", "#golden", "soapbox.html"])
        # A click lands on the table's heading.
        self.browser.click('#contents a[href="#category-2"]')
        self.browser.wait_until("location.hash === '#category-2'", "the second table")
        top = self.browser.evaluate("document.getElementById('category-2').getBoundingClientRect().top")
        self.assertTrue(0 <= top < 200, top)

    def headings_in_words(self):
        headings = self.browser.evaluate(
            "Array.from(document.querySelectorAll('h2')).map(h => h.textContent)")
        for heading in headings:
            for cabrillo in ("\u2014", "SINGLE-OP", "MULTI-OP", "ALL", "MIXED", "LOW", "40M"):
                self.assertNotIn(cabrillo, heading)

    def section_links_land_on_rows(self):
        links = self.browser.evaluate(
            "Array.from(document.querySelectorAll('h2 ~ table.list a')).map(a => "
            "[a.getAttribute('href'), a.textContent])")
        self.assertGreater(len(links), 20)
        for href, call in links:
            self.assertTrue(href.startswith("#"), href)
            row = self.browser.evaluate(
                f"(() => {{ const r = document.getElementById({href[1:]!r});"
                " return r && r.tagName === 'TR' && r.closest('table.results') !== null ? r.cells[1].textContent"
                " : null; })()")
            self.assertEqual(row, call, href)
        # A click scrolls to the row, below the table's sticky header.
        self.browser.click("#golden + p + table a")
        self.browser.wait_until("location.hash.length > 1", "a row")
        top = self.browser.evaluate("document.querySelector(':target').getBoundingClientRect().top")
        self.assertTrue(30 < top < self.browser.evaluate("innerHeight"), top)

    def ubn_link_in_one_table(self):
        links = self.browser.evaluate(
            "Array.from(document.querySelectorAll('a[href^=\"ubn/\"]')).map(a => "
            "[a.getAttribute('href'), a.closest('table.results') !== null])")
        hrefs = [href for href, _ in links]
        self.assertEqual(len(hrefs), len(set(hrefs)), "a UBN page linked twice")
        self.assertTrue(all(in_results for _, in_results in links))
        self.assertEqual(len(hrefs), self.browser.evaluate("document.querySelectorAll('table.results tbody tr')"
                                                           ".length"))

    def clubs_and_states(self):
        clubs = self.browser.evaluate(
            "Array.from(document.querySelectorAll('#clubs + p + table tbody tr')).map(r => r.cells[1].textContent)")
        self.assertEqual(sorted(c.upper() for c in clubs), ["GRUPO NORTE", "HEADER CLUB", "RADIO CLUBE SUL"])
        self.assertGreater(self.browser.evaluate("document.querySelectorAll('#states + p + table tbody tr').length"),
                           10)

    def committee_acts_first(self):
        headings = self.browser.evaluate("Array.from(document.querySelectorAll('h2')).map(h => h.textContent)")
        self.assertIn(headings[0], ("Logs that deserve a look", "Logs que merecem aten\u00e7\u00e3o"))
        self.assertIn(headings[1], ("Clocks", "Rel\u00f3gios"))
        self.assertIn(headings[2], ("Categories", "Categorias"))
        self.assertIn(headings[-1], ("Files", "Arquivos"))
        above = self.browser.evaluate(
            "(() => { const r = document.createRange(); r.setStartBefore(document.body);"
            " r.setEndBefore(document.querySelector('h2')); return r.toString(); })()")
        for name in (".cbr", ".adi", "logs/", "categories.csv"):
            self.assertNotIn(name, above)

    def soapbox_as_text(self):
        self.assertEqual(self.browser.evaluate("document.querySelectorAll('p.soapbox').length"), 5)
        self.assertEqual(self.browser.evaluate("document.querySelectorAll('body script').length"), 0)
        self.assertIn(SOAPBOX + "\nsecond line",
                      self.browser.evaluate("document.querySelector('p.soapbox').textContent"))
        for href in self.browser.evaluate("Array.from(document.querySelectorAll('h2 a')).map(a => a.href)"):
            self.assertIn("/results.html#", href)

    PAGE_CHECKS = [
        ("no sideways scroll at 1280 px", "results.html", 1280, no_sideways_scroll),
        ("rank, call and checked score in view at 390 px", "results.html", 390, rank_call_and_score_in_view),
        ("the contents link each table with its count", "results.html", None, contents_link_each_table),
        ("category headings in words", "results.html", None, headings_in_words),
        ("the sections' links land on rows of the tables", "results.html", None, section_links_land_on_rows),
        ("each UBN link in exactly one table", "results.html", None, ubn_link_in_one_table),
        ("clubs and the best of each state", "results.html", None, clubs_and_states),
        ("the committee's page acts first, files last", "committee.html", None, committee_acts_first),
        ("the soapbox page as text", "soapbox.html", None, soapbox_as_text),
    ]

    def test_page_checks(self):
        for language in ("en", "pt"):
            for name, page, width, check in self.PAGE_CHECKS:
                with self.subTest(language=language, check=name):
                    if width is not None:
                        self.at_width(width)
                    else:
                        self.browser.call("Emulation.clearDeviceMetricsOverride")
                    self.open(f"{language}/{page}")
                    check(self)
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
