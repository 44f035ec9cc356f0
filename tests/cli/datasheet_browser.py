#!/usr/bin/env python3
"""The datasheet as a browser renders it: headless Chromium loads the page the
tool wrote, and its rendered DOM must hold a drawing for every paper size the
settings list and a matrix row for every media of every ink count; a
screenshot is left beside the page for a person to look at.

usage: datasheet_browser.py M4K7DB WORKDIR
Exit 77 (skipped) without /usr/bin/chromium, unless M4K7DB_REQUIRE_VIEWS=1."""
import json, os, shutil, subprocess, sys, tempfile
from html.parser import HTMLParser

CHROMIUM = "/usr/bin/chromium"
tool, work = sys.argv[1], sys.argv[2]
if not os.access(CHROMIUM, os.X_OK):
    if os.environ.get("M4K7DB_REQUIRE_VIEWS") == "1":
        sys.exit(f"{CHROMIUM} is missing and M4K7DB_REQUIRE_VIEWS=1: the datasheet must be checked in a browser")
    print(f"SKIPPED: no {CHROMIUM}; scripts/setup installs Debian's chromium to check the datasheet in a browser")
    sys.exit(77)

os.makedirs(work, exist_ok=True)
page, shot = os.path.join(work, "datasheet.html"), os.path.join(work, "datasheet.png")
subprocess.run([tool, "datasheet", "-o", page], check=True)
settings = json.loads(subprocess.run([tool, "settings", "--format", "json"], check=True,
                                     capture_output=True, text=True).stdout)


def chromium(*args):
    profile = tempfile.mkdtemp(prefix="m4k7db-chromium-")
    try:
        return subprocess.run(["timeout", "60", CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu",
                               "--disable-quic", "--no-first-run", "--disable-background-networking",
                               "--disable-component-update", "--disable-sync", "--user-data-dir=" + profile,
                               *args, "file://" + os.path.abspath(page)],
                              check=True, capture_output=True, text=True).stdout
    finally:
        shutil.rmtree(profile, ignore_errors=True)


class Dom(HTMLParser):
    """Per paper-size card: its size, badge and the drawing's parts; per
    matrix: its media rows."""

    def __init__(self):
        super().__init__()
        self.cards, self.matrices, self.text_of = {}, {}, None
        self.card = self.matrix = None

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        classes = (a.get("class") or "").split()
        if tag == "article" and "size" in classes:
            self.card = self.cards.setdefault(int(a["data-size"]), {"parts": set(), "text": ""})
        elif tag == "table" and "matrix" in classes:
            self.matrix = self.matrices.setdefault(int(a["data-ink"]), [])
        elif tag == "tr" and "media" in classes and self.matrix is not None:
            self.matrix.append(a)
        elif self.card is not None and tag in ("svg", "title", "desc", "rect"):
            self.card["parts"].add(tag + "." + (a.get("role") or "" if tag == "svg" else " ".join(classes)))
            self.text_of = tag if tag in ("title", "desc") else None

    def handle_endtag(self, tag):
        self.text_of = None
        if tag == "article":
            self.card = None
        elif tag == "table":
            self.matrix = None

    def handle_data(self, data):
        if self.card is not None:
            self.card["text"] += data
            if self.text_of and data.strip():
                self.card["parts"].add(self.text_of + ".text")


dom = Dom()
dom.feed(chromium("--dump-dom"))
chromium("--hide-scrollbars", "--screenshot=" + shot, "--window-size=1100,1500")

problems = []
drawing = {"svg.img", "title.", "desc.", "title.text", "desc.text", "rect.paper"}
for size in settings["sizes"]:
    card = dom.cards.get(size["id"])
    if not card or not drawing <= card["parts"]:
        problems.append(f"paper size {size['id']}: no drawing with its title and description")
    elif size["printable"] != ("not laid out" not in card["text"]):
        problems.append(f"paper size {size['id']}: laid out is {size['printable']}, the page says otherwise")
    elif size["printable"] and not {"rect.normal", "rect.full"} <= card["parts"]:
        problems.append(f"paper size {size['id']}: laid out, but not both printable areas are drawn")
if len(dom.cards) != len(settings["sizes"]):
    problems.append(f"{len(dom.cards)} paper-size drawings for {len(settings['sizes'])} sizes")
for ink in settings["inks"]:
    rows = len(dom.matrices.get(ink["id"], []))
    if rows != len(ink["media"]):
        problems.append(f"ink count {ink['id']}: {rows} matrix rows for {len(ink['media'])} media")
with open(shot, "rb") as f:
    if f.read(8) != b"\x89PNG\r\n\x1a\n":
        problems.append(f"{shot} is no PNG")

print(f"rendered DOM: {len(dom.cards)} paper-size drawings, matrix rows "
      + ", ".join(f"ink {i}: {len(r)}" for i, r in sorted(dom.matrices.items())) + f"; screenshot {shot}")
if problems:
    sys.exit("\n".join(problems))
