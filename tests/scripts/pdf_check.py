#!/usr/bin/env python3
"""Checks a yearbook PDF from the outside.

    pdf_check.py navigation FILE.pdf
    pdf_check.py rows PAGE.bmp RENDERED.ppm
    pdf_check.py glyphs PAGE.bmp RENDERED.ppm

navigation: reads the file with qpdf (--json) and the words under each link with
pdftotext (-bbox). Checks that every day cell of the index sheet links to
the page labelled with that date, that each day page links back to the
index over its month name and to the previous and next days over the
footer's "Año" and "Semana", that every link lies inside its page, that the outline names each month at its
first day, and that any day is at most two taps from any page (three with
several index sheets, through the tabs that join them). Prints one
line of counts, or the faults, and exits 1 on a fault.

planner: the same reading for a planner document (--planner, --notes):
every link lands on the page its words name (a day number or weekday and
day on the day's page, "Enero 2027" or a tab letter on that month's page,
"Semana 5" or a week number on that week's page, a day page's month name
on the index, its footer on the days before and after), every day is
linked from its month page, its week page and the index, the outline runs
months > weeks > days in order, and any day is at most two taps from any
page.

index: reads the index sheet of a year rendered at 96 dpi (pdftoppm -r 96)
and prints the days whose number is drawn in dark red that are not Sundays,
then the days with a line under their number (days with entries), as
"red: dd/mm ..." and "marked: dd/mm ...".

rows: compares the raster page with the PDF page rendered at 96 dpi
(pdftoppm -r 96): the rows that carry a rule or a writing line (200 or
more dark pixels) must be the same rows with the same first and last dark
pixel, and the texts must start within a pixel of the raster's; the
glyphs' own antialiasing may differ.

glyphs: compares the texts of the raster page with the PDF page rendered at
96 dpi, glyph by glyph: in every band of rows between the rules and lines,
each stretch of 24 columns that carries ink in the raster is matched
against the rendering moved by up to 8 columns either way (the columns'
ink, each stretch scaled to the same total, as antialiasing differs); the
best match must be at most one column off. Prints the number of stretches
and the largest offset, and the worst stretches on a fault.
"""
import html
import json
import re
import subprocess
import sys
from collections import deque

MONTHS = ["Enero", "Febrero", "Marzo", "Abril", "Mayo", "Junio", "Julio", "Agosto",
          "Septiembre", "Octubre", "Noviembre", "Diciembre"]


def read_pages(bmp_path, ppm_path):
    """The raster page and the rendered one as rows of RGB bytes (top row
    first), and the width; nothing (after saying why) when their sizes differ."""
    import struct
    data = open(bmp_path, "rb").read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    stride = (width * 3 + 3) // 4 * 4
    bmp = [data[offset + (height - 1 - y) * stride:][:width * 3] for y in range(height)]
    header, size, _, pixels = open(ppm_path, "rb").read().split(b"\n", 3)
    if header != b"P6" or tuple(map(int, size.split())) != (width, height):
        print(f"rendered page is {size.decode()}, the raster {width} {height}")
        return None
    ppm = [pixels[y * width * 3:][:width * 3] for y in range(height)]
    return width, bmp, ppm


def rows(bmp_path, ppm_path):
    pages = read_pages(bmp_path, ppm_path)
    if pages is None:
        return 1
    width, bmp, ppm = pages

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
    # pixel. The glyphs along them are compared by `glyphs`.
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


def glyphs(bmp_path, ppm_path):
    pages = read_pages(bmp_path, ppm_path)
    if pages is None:
        return 1
    width, bmp, ppm = pages
    stretch, reach = 24, 8

    def darkness(row):  # per column: 0 white, 765 black
        return [765 - row[3 * x] - row[3 * x + 1] - row[3 * x + 2] for x in range(width)]

    raster_rows = [darkness(row) for row in bmp]
    rendered_rows = [darkness(row) for row in ppm]
    # Bands of text: the rows between those of rules and writing lines
    # (200 dark pixels or more in a row, unbroken).
    def is_rule(row):
        run = longest = 0
        for v in row:
            run = run + 1 if v > 381 else 0
            longest = max(longest, run)
        return longest >= 200

    ruled = [is_rule(row) for row in raster_rows]
    bands, top = [], None
    for y, is_rule in enumerate(ruled + [True]):
        if not is_rule and top is None:
            top = y
        elif is_rule and top is not None:
            bands.append((top, y))
            top = None

    def profile(image, band):
        return [sum(image[y][x] for y in range(*band)) for x in range(width)]

    def scaled(values):
        total = sum(values) or 1
        return [v / total for v in values]

    offsets = []  # (offset, band, first column)
    for band in bands:
        raster, rendered = profile(raster_rows, band), profile(rendered_rows, band)
        for x in range(reach, width - stretch - reach, stretch // 2):
            wanted = raster[x:x + stretch]
            if sum(wanted) < 765 * 4:  # too little ink to tell
                continue
            wanted = scaled(wanted)
            best = min(range(-reach, reach + 1), key=lambda d: (sum(
                abs(a - b) for a, b in zip(wanted, scaled(rendered[x + d:x + d + stretch]))), abs(d)))
            offsets.append((best, band, x))
    if not offsets:
        print("no text found")
        return 1
    worst = sorted(offsets, key=lambda o: -abs(o[0]))
    if abs(worst[0][0]) > 1:
        for offset, band, x in worst[:8]:
            print(f"rows {band[0]}-{band[1] - 1}, columns from {x}: the pdf's glyphs {offset:+d} px off")
        return 1
    print(f"{len(offsets)} stretches of text, at most {abs(worst[0][0])} px off")
    return 0


def index_marks(ppm_path, year):
    import datetime
    header, size, _, pixels = open(ppm_path, "rb").read().split(b"\n", 3)
    width, _ = map(int, size.split())

    def pixel(x, y):
        return pixels[3 * (y * width + x):3 * (y * width + x) + 3]

    red, marked = [], []
    for month in range(12):
        left = 22 + (month % 3) * 258
        grid_top = 90 + (month // 3) * 252 + 48
        first = datetime.date(year, month + 1, 1)
        day = first
        while day.month == month + 1:
            row = (first.weekday() + day.day - 1) // 7
            x0, y0 = left + day.weekday() * 34, grid_top + row * 26
            ink = [pixel(x, y) for y in range(y0 + 3, y0 + 20) for x in range(x0 + 8, x0 + 32)]
            if day.weekday() < 6 and any(r > 100 and g < 80 and b < 80 for r, g, b in ink):
                red.append(day.strftime("%d/%m"))
            under = [pixel(x, y0 + 22) for x in range(x0 + 14, x0 + 28)]
            if sum(1 for r, g, b in under if r + g + b < 500) >= 10:
                marked.append(day.strftime("%d/%m"))
            day += datetime.timedelta(days=1)
    print("red:", " ".join(red))
    print("marked:", " ".join(marked))
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


def read_document(path):
    """Labels, links (target page, words under the link) and the outline tree."""
    document = json.loads(subprocess.run(["qpdf", "--json", "--json-key=qpdf", path],
                                         capture_output=True, check=True).stdout)
    objects = {k[4:]: v.get("value") for k, v in document["qpdf"][1].items()}
    catalog = next(v for v in objects.values() if isinstance(v, dict) and v.get("/Type") == "/Catalog")
    kids = objects[catalog["/Pages"]]["/Kids"]
    page_of = {ref: i for i, ref in enumerate(kids)}
    nums = catalog["/PageLabels"]["/Nums"]
    labels = [nums[i + 1]["/P"][2:] for i in range(0, len(nums), 2)]
    words = read_words(path)
    links = {}
    for i, ref in enumerate(kids):
        page = objects[ref]
        height = page["/MediaBox"][3]
        links[i] = []
        for annot in page.get("/Annots", []):
            x0, y0, x1, y1 = annot["/Rect"]
            under = [w for (wx0, wy0, wx1, wy1, w) in words[i]
                     if x0 <= (wx0 + wx1) / 2 <= x1 and height - y1 <= (wy0 + wy1) / 2 <= height - y0]
            links[i].append((page_of[annot["/Dest"][0]], " ".join(under)))

    def tree(ref, depth):
        items = []
        while ref:
            item = objects[ref]
            items.append((depth, item["/Title"][2:], page_of[item["/Dest"][0]]))
            items += tree(item.get("/First"), depth + 1)
            ref = item.get("/Next")
        return items
    return labels, links, tree(objects[catalog["/Outlines"]]["/First"], 0)


DATE = re.compile(r"^(\d\d)/(\d\d)/(\d{4})$")
WEEKDAYS = ["Lunes", "Martes", "Miércoles", "Jueves", "Viernes", "Sábado", "Domingo"]


def lands(source, text, label):
    """Whether a link over `text` on a page labelled `source` may go to `label`."""
    text = text.replace("«", "").replace("»", "").strip()
    date = DATE.match(label)
    if date:
        day, month = int(date[1]), MONTHS[int(date[2]) - 1]
        here = DATE.match(source)
        if here and (text.startswith("Año") or text.startswith("Semana")):
            import datetime
            a = datetime.date(int(here[3]), int(here[2]), int(here[1]))
            b = datetime.date(int(date[3]), int(date[2]), day)
            return (b - a).days == (-1 if text.startswith("Año") else 1)
        first = text.split()
        if first and first[0] in WEEKDAYS:
            return len(first) > 3 and first[1] == str(day) and first[3] == month.lower()
        return bool(first) and first[0] == str(day) and (source.startswith("Índice")
                                                         or month in source)
    if label.startswith("Índice"):
        return (text in ("Índice",) + tuple(MONTHS) or re.match(r"^\d\d/\d{4}$", text) is not None
                or (source.startswith("Notas") and text == source))
    if label.startswith("Semana"):
        number = label.split()[1]
        return text in (f"Semana {number}", number)
    if label.split()[0] in MONTHS:
        return (text == label or (len(text) == 1 and label.startswith(text))
                or (source.startswith("Notas") and text == source
                    and text.split(" (")[0] == f"Notas {label.lower()}"))
    return False


def planner(path):
    labels, links, items = read_document(path)
    faults = []

    def fault(text):
        if len(faults) < 20:
            faults.append(text)

    days = [i for i, label in enumerate(labels) if DATE.match(label)]
    months = {label: i for i, label in enumerate(labels) if label.split()[0] in MONTHS}
    for page, found in links.items():
        for target, text in found:
            if not lands(labels[page], text, labels[target]):
                fault(f"page {labels[page]}: a link over '{text}' goes to {labels[target]}")
    linked_from = {d: set() for d in days}
    for page, found in links.items():
        for target, _ in found:
            if target in linked_from:
                linked_from[target].add(labels[page].split()[0].split("/")[0])
    for d in days:
        kinds = {("month" if k in MONTHS else "week" if k == "Semana" else "index" if k == "Índice"
                  else "") for k in linked_from[d]}
        if months and not {"month", "week", "index"} <= kinds:
            fault(f"day {labels[d]} is linked only from {sorted(linked_from[d])}")
    # The outline: months (level 0), weeks (1), days (2) in page order.
    last_day = -1
    for depth, title, target in items:
        label = labels[target]
        if depth == 0 and not (title == label or (title.startswith("Índice") and label == title)
                               or (DATE.match(label) and not months)):
            fault(f"outline month '{title}' goes to {label}")
        if depth == 2:
            if not DATE.match(label) or int(label[:2]) != int(title.split()[-1]) or target <= last_day:
                fault(f"outline day '{title}' goes to {label}")
            last_day = target
    if sum(1 for depth, _, _ in items if depth == 2) != len(days):
        fault(f"the outline names {sum(1 for d, _, _ in items if d == 2)} of {len(days)} days")
    farthest = 0
    for start in range(len(labels)):
        distance = {start: 0}
        queue = deque([start])
        while queue:
            here = queue.popleft()
            for target, _ in links[here]:
                if target not in distance:
                    distance[target] = distance[here] + 1
                    queue.append(target)
        farthest = max(farthest, max(distance.get(d, 99) for d in days))
    if farthest > 2:
        fault(f"a day is {farthest} taps away")
    for text in faults:
        print(text)
    print(f"{sum(len(v) for v in links.values())} links on {len(labels)} pages land on their "
          f"labels, {len(items)} outline items, at most {farthest} taps")
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
    if sys.argv[1] == "glyphs":
        sys.exit(glyphs(sys.argv[2], sys.argv[3]))
    if sys.argv[1] == "index":
        sys.exit(index_marks(sys.argv[2], int(sys.argv[3])))
    if sys.argv[1] == "planner":
        sys.exit(planner(sys.argv[2]))
    sys.exit(main(sys.argv[2]))
