#!/usr/bin/env python3
"""How long headless Chromium takes to show torv check's results page of a
contest of about 2,000 entrants: a benchmark run on demand, its figures in
docs/performance.md (not a test: nothing here fails on a time).

  bench/results_page_render.py TORV CONTEST_SIM [--runs N] [--keep DIR]

A contest of about a million QSO lines is generated and checked once; then
results.html is opened N times in one browser, and each time the page's
own clock says when its document was read (DOMContentLoaded), when it had
loaded, and when the first frame after loading was drawn (layout and paint
of every table and chart done). Then a click sorts the largest table and a
call is typed into the search box, each timed to the next frame.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "browser"))
from devtools import Browser  # noqa: E402

# The page's own clock, from the start of the navigation, in milliseconds.
TIMINGS = """new Promise(done => {
  const settle = () => requestAnimationFrame(() => requestAnimationFrame(() => {
    const n = performance.getEntriesByType('navigation')[0];
    done([n.domContentLoadedEventEnd, n.loadEventEnd, performance.now()]);
  }));
  if (document.readyState === 'complete') settle(); else addEventListener('load', settle);
})"""

# A click on the largest table's call heading, to the next frame.
SORT = """new Promise(done => {
  const tables = Array.from(document.querySelectorAll('table.results'));
  const largest = tables.reduce((a, b) => a.tBodies[0].rows.length >= b.tBodies[0].rows.length ? a : b);
  const start = performance.now();
  largest.querySelector('thead th:nth-child(2)').click();
  requestAnimationFrame(() => requestAnimationFrame(() => done(performance.now() - start)));
})"""

# A call typed into the search box, to the next frame.
SEARCH = """new Promise(done => {
  const box = document.getElementById('call');
  const call = document.querySelector('table.results tbody tr').cells[1].textContent;
  const start = performance.now();
  box.value = call;
  box.dispatchEvent(new Event('input'));
  requestAnimationFrame(() => requestAnimationFrame(() => done(performance.now() - start)));
})"""


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("torv")
    parser.add_argument("contest_sim")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--keep", help="generate and check into this folder, and keep it")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="torv-render-") as scratch:
        root = args.keep or scratch
        contest = os.path.join(root, "contest")
        checked = os.path.join(root, "checked")
        if not os.path.isdir(contest):
            subprocess.run([args.contest_sim, "--out", contest, "--seed", "2026", "--stations", "2060", "--casual",
                            "500", "--contacts", "556000"], check=True, stdout=subprocess.DEVNULL)
        started = time.monotonic()
        done = subprocess.run([args.torv, "check", os.path.join(contest, "logs"), "--out", checked],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        print(f"torv check: {done.stdout.strip()} ({time.monotonic() - started:.1f} s)")
        page = os.path.join(checked, "results.html")
        print(f"results.html: {os.path.getsize(page) / 1e6:.1f} MB")

        loaded, drawn, read, sorts, searches = [], [], [], [], []
        with Browser(timeout=120.0) as browser:
            for _ in range(args.runs):
                browser.open("about:blank")
                browser.open("file://" + page)
                dom, load, frame = browser.evaluate(TIMINGS)
                read.append(dom)
                loaded.append(load)
                drawn.append(frame)
                sorts.append(browser.evaluate(SORT))
                searches.append(browser.evaluate(SEARCH))
            entrants = browser.evaluate("document.querySelectorAll('table.results tbody tr').length")
            if browser.errors:
                print("errors on the page:", *browser.errors, sep="\n  ")

        print(f"entrants: {entrants}; {args.runs} loads, median (min to max) in ms:")
        for name, values in (("document read (DOMContentLoaded)", read), ("loaded", loaded),
                             ("first frame drawn after loading", drawn), ("sort the largest table by call", sorts),
                             ("type a call into the search box", searches)):
            print(f"  {name:34} {statistics.median(values):7.0f}  ({min(values):.0f} to {max(values):.0f})")


if __name__ == "__main__":
    main()
