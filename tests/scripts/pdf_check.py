#!/usr/bin/env python3
"""Checks a yearbook PDF from the outside.

    pdf_check.py navigation FILE.pdf
    pdf_check.py rows PAGE.bmp RENDERED.ppm

navigation: reads the file with qpdf (--json) and the words under each link with
pdftotext (-bbox). Checks that every day cell of the index sheet links to
the page labelled with that date, that each day page links back to the
index over its month name and to the previous and next days over the
footer's "Año" and "Semana", that every link lies inside its page, that the outline names each month at its
first day, and that any day is at most two taps from any page (three with
several index sheets, through the tabs that join them). Prints one
line of counts, or the faults, and exits 1 on a fault.

rows: compares the raster page with the PDF page rendered at 96 dpi
(pdftoppm -r 96): the rows that carry a rule or a writing line (200 or
more dark pixels) must be the same rows with the same first and last dark
pixel, and the texts must start within a pixel of the raster's; the
glyphs' own antialiasing may differ.
"""
import html
import json
import re
import subprocess
import sys
from collections import deque

MONTHS = ["Enero", "Febrero", "Marzo", "Abril", "Mayo", "Junio", "Julio", "Agosto",
          "Septiembre", "Octubre", "Noviembre", "Diciembre"]


def rows(bmp_path, ppm_path):
    import struct
    data = open(bmp_path, "rb").read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    stride = (width * 3 + 3) // 4 * 4
    bmp = [data[offset + (height - 1 - y) * stride:][:width * 3] for y in range(height)]
    header, size, _, pixels = open(ppm_path, "rb").read().split(b"\n", 3)
    if header != b"P6" or tuple(map(int, size.split())) != (width, height):
        print(f"rendered page is {size.decode()}, the raster {width} {height}")
        return 1
    ppm = [pixels[y * width * 3:][:width * 3] for y in range(height)]

    def dark_rows(image):
        found = {}
        for y, row in enumerate(image):
            xs = [x for x in range(width) if sum(row[3 * x:3 * x + 3]) < 384]
            if len(xs) >= 200:
                found[y] = (xs[0], xs[-1])
        return found

    raster, rendered = dark_rows(bmp), dark_rows(ppm)
    if raster != rendered:
        print("raster rows", sorted(raster.items())[:12])
        print("pdf rows   ", sorted(rendered.items())[:12])
        return 1

    # The texts start where the raster's do (their cells' top-left corner at
    # the same position): the left, top and bottom of their ink within a
    # pixel. Their right ends may differ by the raster's whole-pixel advances.
    def ink(image, x0, y0, x1, y1):
        found = [(x, y) for y in range(y0, y1) for x in range(x0, x1)
                 if sum(image[y][3 * x:3 * x + 3]) < 384]
        return (min(x for x, _ in found), min(y for _, y in found), max(y for _, y in found))

    areas = {"month": (0, 0, 300, 27), "day number": (355, 0, 445, 60),
             "saint": (0, 34, 300, 55), "year": (0, 1075, 300, 1110)}
    for name, area in areas.items():
        a, b = ink(bmp, *area), ink(ppm, *area)
        if max(abs(p - q) for p, q in zip(a, b)) > 1:
            print(f"{name}: raster ink at {a}, pdf ink at {b}")
            return 1
    print(f"{len(raster)} rows of rules and lines on the same pixels, texts in place")
    return 0


def main(path):
    document = json.loads(subprocess.run(["qpdf", "--json", "--json-key=qpdf", path],
                                         capture_output=True, check=True).stdout)
    objects = {k[4:]: v.get("value") for k, v in document["qpdf"][1].items()}
    catalog = next(v for v in objects.values() if isinstance(v, dict) and v.get("/Type") == "/Catalog")
    kids = objects[catalog["/Pages"]]["/Kids"]
    page_of = {ref: i for i, ref in enumerate(kids)}
    nums = catalog["/PageLabels"]["/Nums"]
    labels = [nums[i + 1]["/P"][2:] for i in range(0, len(nums), 2)]
    words = read_words(path)
    faults = []

    def fault(text):
        if len(faults) < 20:
            faults.append(text)

    links = {}  # page -> [(target, text under the link)]
    for i, ref in enumerate(kids):
        page = objects[ref]
        height = page["/MediaBox"][3]
        links[i] = []
        for annot in page.get("/Annots", []):
            x0, y0, x1, y1 = annot["/Rect"]
            if x0 < 0 or y0 < 0 or x1 > page["/MediaBox"][2] or y1 > height:
                fault(f"link on page {i + 1} reaches past the page: {annot['/Rect']}")
            under = [w for (wx0, wy0, wx1, wy1, w) in words[i]
                     if x0 <= (wx0 + wx1) / 2 <= x1 and height - y1 <= (wy0 + wy1) / 2 <= height - y0]
            links[i].append((page_of[annot["/Dest"][0]], " ".join(under)))

    index_pages = [i for i, label in enumerate(labels) if label.startswith("Índice")]
    day_pages = [i for i in range(len(kids)) if i not in index_pages]
    for i in index_pages:
        for target, text in links[i]:
            if target in index_pages:  # a tab "mm/yyyy" to the sheet of that month
                month, _, year = text.partition("/")
                if not shows(words[target], MONTHS[int(month) - 1], year) or target == i:
                    fault(f"index tab on page {i + 1} over '{text}' goes to page {target + 1}")
            elif text != str(int(labels[target].split("/")[0])):
                fault(f"index link on page {i + 1} over '{text}' goes to {labels[target]}")
    index_targets = [t for i in index_pages for t, _ in links[i] if t in day_pages]
    if sorted(index_targets) != day_pages:
        fault(f"index links reach {len(set(index_targets))} of {len(day_pages)} days")

    for n, i in enumerate(day_pages):
        _, month_number, year = labels[i].split("/")
        month = MONTHS[int(month_number) - 1]
        found = {"index": 0, "previous": 0, "next": 0}
        for target, text in links[i]:
            if target in index_pages and text == month and shows(words[target], month, year):
                found["index"] += 1
            elif n > 0 and target == day_pages[n - 1] and text.startswith("Año"):
                found["previous"] += 1
            elif n + 1 < len(day_pages) and target == day_pages[n + 1] and text.startswith("Semana"):
                found["next"] += 1
            else:
                fault(f"day page {labels[i]}: a link over '{text}' to {labels[target]}")
        wanted = {"index": 1, "previous": int(n > 0), "next": int(n + 1 < len(day_pages))}
        if found != wanted:
            fault(f"day page {labels[i]}: links {found}")

    for item in outline(objects, catalog):
        title, target = item[0], page_of[item[1]]
        label = labels[target]
        if target in index_pages:
            ok = title.startswith("Índice")
        else:
            day, month, year = label.split("/")
            ok = title == f"{MONTHS[int(month) - 1]} {year}" and (day == "01" or target == day_pages[0])
        if not ok:
            fault(f"outline '{title}' goes to {label}")

    farthest = 0
    for start in range(len(kids)):
        distance = {start: 0}
        queue = deque([start])
        while queue:
            here = queue.popleft()
            for target, _ in links[here]:
                if target not in distance:
                    distance[target] = distance[here] + 1
                    queue.append(target)
        farthest = max(farthest, max(distance.get(d, 99) for d in day_pages))
    if farthest > (2 if len(index_pages) == 1 else 3):
        fault(f"a day is {farthest} taps away")

    for text in faults:
        print(text)
    print(f"{len(index_targets)} index links, {sum(len(links[i]) for i in day_pages)} day links, "
          f"{len(outline(objects, catalog))} outline items, {len(labels)} labels, "
          f"at most {farthest} taps")
    return 1 if faults else 0


def shows(words, month, year):
    """Whether an index sheet has the heading "month year"."""
    return any(a[4] == month and b[4] == year for a, b in zip(words, words[1:]))


def outline(objects, catalog):
    items = []
    ref = objects[catalog["/Outlines"]]["/First"]
    while ref:
        item = objects[ref]
        items.append((item["/Title"][2:], item["/Dest"][0]))
        ref = item.get("/Next")
    return items


def read_words(path):
    text = subprocess.run(["pdftotext", "-bbox", path, "-"], capture_output=True, check=True,
                          text=True).stdout
    pages = []
    for page in text.split("<page ")[1:]:
        pages.append([(float(a), float(b), float(c), float(d), html.unescape(w)) for a, b, c, d, w in
                      re.findall(r'xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)<',
                                 page)])
    return pages


if __name__ == "__main__":
    if sys.argv[1] == "rows":
        sys.exit(rows(sys.argv[2], sys.argv[3]))
    sys.exit(main(sys.argv[2]))
