"""A small driver of headless Chromium over its DevTools protocol, for the
tests of the pages torv writes: open a page, run a script in it, click,
type, and collect what the page reported as errors.

Only Debian's packages are needed: chromium and python3-websocket. Every
wait is bounded; a page that does not answer fails the test, it never
hangs it.
"""
import json
import os
import shutil
import subprocess
import tempfile
import time
import urllib.request

import websocket

CHROMIUM_FLAGS = [
    "--headless",
    "--no-sandbox",
    "--disable-gpu",
    "--disable-quic",
    "--no-first-run",
    "--no-default-browser-check",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
    "--disable-extensions",
    "--remote-debugging-port=0",
]


class DevToolsError(RuntimeError):
    pass


def find_chromium():
    for name in ("chromium", "chromium-browser", "google-chrome"):
        path = shutil.which(name)
        if path:
            return path
    return None


class Browser:
    """One headless Chromium with one page, for one test."""

    def __init__(self, timeout=30.0):
        self.timeout = timeout
        self._next_id = 0
        self.errors = []  # texts of console errors and uncaught exceptions
        self.events = []
        executable = find_chromium()
        if executable is None:
            raise DevToolsError("no chromium on this machine")
        self._profile = tempfile.mkdtemp(prefix="torv-browser-")
        self._process = subprocess.Popen(
            [executable, *CHROMIUM_FLAGS, f"--user-data-dir={self._profile}", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            port = self._wait_for_port()
            self._socket = websocket.create_connection(self._page_socket_url(port), timeout=self.timeout)
            for domain in ("Page", "Runtime", "Log"):
                self.call(f"{domain}.enable")
        except BaseException:
            self.close()
            raise

    def _wait_for_port(self):
        marker = os.path.join(self._profile, "DevToolsActivePort")
        deadline = time.monotonic() + self.timeout
        while time.monotonic() < deadline:
            if self._process.poll() is not None:
                raise DevToolsError(f"chromium ended at start (exit code {self._process.returncode})")
            try:
                with open(marker, encoding="ascii") as f:
                    first = f.readline().strip()
                if first:
                    return int(first)
            except (FileNotFoundError, ValueError):
                pass
            time.sleep(0.05)
        raise DevToolsError("chromium did not open its DevTools port")

    def _page_socket_url(self, port):
        deadline = time.monotonic() + self.timeout
        while time.monotonic() < deadline:
            with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=self.timeout) as answer:
                for target in json.load(answer):
                    if target.get("type") == "page" and "webSocketDebuggerUrl" in target:
                        return target["webSocketDebuggerUrl"]
            time.sleep(0.05)
        raise DevToolsError("chromium shows no page")

    def close(self):
        sock = getattr(self, "_socket", None)
        if sock is not None:
            sock.close()
        if self._process.poll() is None:
            self._process.terminate()
            try:
                self._process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self._process.kill()
                self._process.wait(timeout=10)
        shutil.rmtree(self._profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    # The protocol: one command at a time, events kept while waiting.
    def call(self, method, **params):
        self._next_id += 1
        ident = self._next_id
        self._socket.send(json.dumps({"id": ident, "method": method, "params": params}))
        deadline = time.monotonic() + self.timeout
        while True:
            message = self._receive(deadline, method)
            if message.get("id") == ident:
                if "error" in message:
                    raise DevToolsError(f"{method}: {message['error'].get('message')}")
                return message.get("result", {})

    def _receive(self, deadline, waiting_for):
        left = deadline - time.monotonic()
        if left <= 0:
            raise DevToolsError(f"no answer in time while waiting for {waiting_for}")
        self._socket.settimeout(left)
        try:
            message = json.loads(self._socket.recv())
        except websocket.WebSocketTimeoutException as e:
            raise DevToolsError(f"no answer in time while waiting for {waiting_for}") from e
        if "method" in message:
            self._note(message)
        return message

    def _note(self, event):
        self.events.append(event)
        method = event["method"]
        params = event.get("params", {})
        if method == "Runtime.consoleAPICalled" and params.get("type") in ("error", "assert"):
            texts = [str(a.get("value", a.get("description", ""))) for a in params.get("args", [])]
            self.errors.append("console: " + " ".join(texts))
        elif method == "Runtime.exceptionThrown":
            details = params.get("exceptionDetails", {})
            text = details.get("exception", {}).get("description") or details.get("text", "")
            self.errors.append("exception: " + text)
        elif method == "Log.entryAdded" and params.get("entry", {}).get("level") == "error":
            entry = params["entry"]
            self.errors.append(f"log: {entry.get('text', '')} {entry.get('url', '')}".strip())

    def wait_for_event(self, method, since=0):
        """The first event of this kind at or after index `since` of self.events."""
        deadline = time.monotonic() + self.timeout
        while True:
            for event in self.events[since:]:
                if event["method"] == method:
                    return event
            self._receive(deadline, method)

    # What a test does with a page.
    def open(self, url):
        """Loads the page and returns once its load event has fired."""
        since = len(self.events)
        result = self.call("Page.navigate", url=url)
        if result.get("errorText"):
            raise DevToolsError(f"{url}: {result['errorText']}")
        self.wait_for_event("Page.loadEventFired", since)

    def evaluate(self, expression):
        """The value of a script expression in the page (promises awaited)."""
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            details = result["exceptionDetails"]
            raise DevToolsError(details.get("exception", {}).get("description") or details.get("text"))
        return result["result"].get("value")

    # What Chromium answers when a page goes away under an evaluation, as a
    # click on a link makes it do.
    NAVIGATING = ("Inspected target navigated or closed", "Cannot find context with specified id",
                  "Execution context was destroyed")

    def wait_until(self, expression, what):
        """Evaluates the expression until it is true; fails after the timeout.
        An evaluation that a navigation cuts short is tried again in the next
        page."""
        deadline = time.monotonic() + self.timeout
        while time.monotonic() < deadline:
            try:
                if self.evaluate(expression):
                    return
            except DevToolsError as error:
                if not any(text in str(error) for text in self.NAVIGATING):
                    raise
            time.sleep(0.02)
        raise DevToolsError(f"not reached in time: {what}")

    def click(self, selector):
        """Clicks the middle of the first element the selector finds, as a
        mouse does (pressed and released), after scrolling it into view."""
        box = self.evaluate(
            f"(() => {{ const e = document.querySelector({json.dumps(selector)}); if (!e) return null;"
            " e.scrollIntoView({block: 'center'}); const r = e.getBoundingClientRect();"
            " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
        if box is None:
            raise DevToolsError(f"nothing matches {selector}")
        x, y = box
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left", clickCount=1)

    def type_into(self, selector, text):
        """Focuses the element and types the text as keyboard input."""
        if not self.evaluate(f"(() => {{ const e = document.querySelector({json.dumps(selector)});"
                             " if (!e) return false; e.focus(); return document.activeElement === e; })()"):
            raise DevToolsError(f"cannot focus {selector}")
        self.call("Input.insertText", text=text)

    def screenshot(self, path):
        import base64
        data = self.call("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))
