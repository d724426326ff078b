#!/usr/bin/python3
"""Generated calendars and what an independent library makes of them.

  reference_calendars.py generate DIR COUNT SEED
      writes COUNT calendars DIR/cal-NNN.ics (a fixed seed gives the same files)
  reference_calendars.py compare TREVALDA FIRST LAST ZONE FILE...
      runs TREVALDA --describe FIRST --to LAST --dates FILE (--tz ZONE) for
      each FILE and compares its entries with FILE.ZONE.expected; exit 1 when
      they differ
  reference_calendars.py expected FIRST LAST ZONE FILE...
      for each FILE writes FILE.ZONE.expected (ZONE with "_" for "/"): the entries of every day from FIRST
      to LAST (dd/mm/yyyy) on the clock of ZONE, as recurring_ical_events with
      icalendar and dateutil place them

The calendars cover the recurrence rule parts (FREQ, INTERVAL, COUNT, UNTIL,
BYDAY with and without ordinals, BYMONTHDAY, BYMONTH, BYYEARDAY, BYWEEKNO,
BYSETPOS, BYHOUR, BYMINUTE, WKST), EXDATE, RDATE, moved and cancelled
occurrences, all-day, floating, UTC and zoned times (IANA and Windows names,
and a zone that only the file's VTIMEZONE describes).

The generator keeps out of what that library does differently from RFC 5545,
so the comparison can stay exact everywhere else:
  - "BYDAY ... specifies a COMMA-separated list of days of the week": the
    library (dateutil) keeps only the days that match a weekday with an
    ordinal AND one without, so a rule never mixes the two;
  - "If the duration of the recurring component is specified ... the
    THISANDFUTURE ... applies to all later instances": the library moves one
    occurrence only, so RANGE=THISANDFUTURE is left to the unit tests;
  - "The 'UNTIL' rule part defines a DATE-TIME value that bounds the
    recurrence rule in an inclusive manner": across a clock change the
    library may drop the last occurrence, so UNTIL is never within hours of
    an occurrence (the hand-written Outlook calendar's UNTIL included);
  - RFC 5545 3.3.5: "If the local time represented by a DATE-TIME value is
    ... repeated ... the DATE-TIME value refers to the first occurrence of
    the referenced time": the library takes the second, so no zoned event
    starts between 00:00 and 03:59;
  - "ordwk = 1*2DIGIT ;1 to 53" (BYDAY=20MO): the library (icalendar) reads
    one digit only and drops the whole RRULE otherwise, so ordinals stay
    between -9 and 9 (the unit tests take the RFC's own 20MO);
  - "Two RRULEs" ("The 'RRULE' property ... SHOULD NOT be specified more than
    once" still allows it) and "RDATE;VALUE=PERIOD": the library refuses both;
  - overrides are matched by the library by UID and day, and with SEQUENCE
    keep one occurrence a day, so events with overrides repeat at most once
    a day and carry no SEQUENCE;
  - an EXDATE;VALUE=DATE on a timed event (the RFC wants the same value type
    as DTSTART) and a DATE UNTIL on a timed event are not generated.
"""
import datetime
import random
import sys

DAYS = ["MO", "TU", "WE", "TH", "FR", "SA", "SU"]
# TZID written in the file -> the zone the event is in.
IANA = ["Europe/Madrid", "Atlantic/Canary", "America/New_York", "Europe/London", "Europe/Berlin"]
WINDOWS = {
    "Romance Standard Time": "Europe/Paris",
    "Eastern Standard Time": "America/New_York",
    "GMT Standard Time": "Europe/London",
    "W. Europe Standard Time": "Europe/Berlin",
}
CUSTOM_TZID = "Hora de Europa central (archivo)"
SUMMARIES = ["Pilates", "Reunión", "Café con Ana", "Cuota comunidad", "Niños al cole", "Dentista",
             "Clase de inglés", "Revisión", "Cumpleaños", "Ñoquis"]

EU_VTIMEZONE = """BEGIN:VTIMEZONE
TZID:{tzid}
BEGIN:STANDARD
DTSTART:16011028T030000
RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10
TZOFFSETFROM:+0200
TZOFFSETTO:+0100
END:STANDARD
BEGIN:DAYLIGHT
DTSTART:16010325T020000
RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=3
TZOFFSETFROM:+0100
TZOFFSETTO:+0200
END:DAYLIGHT
END:VTIMEZONE
"""
US_VTIMEZONE = """BEGIN:VTIMEZONE
TZID:{tzid}
BEGIN:STANDARD
DTSTART:16011104T020000
RRULE:FREQ=YEARLY;BYDAY=1SU;BYMONTH=11
TZOFFSETFROM:-0400
TZOFFSETTO:-0500
END:STANDARD
BEGIN:DAYLIGHT
DTSTART:16010311T020000
RRULE:FREQ=YEARLY;BYDAY=2SU;BYMONTH=3
TZOFFSETFROM:-0500
TZOFFSETTO:-0400
END:DAYLIGHT
END:VTIMEZONE
"""
UK_VTIMEZONE = """BEGIN:VTIMEZONE
TZID:{tzid}
BEGIN:STANDARD
DTSTART:16011028T020000
RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10
TZOFFSETFROM:+0100
TZOFFSETTO:+0000
END:STANDARD
BEGIN:DAYLIGHT
DTSTART:16010325T010000
RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=3
TZOFFSETFROM:+0000
TZOFFSETTO:+0100
END:DAYLIGHT
END:VTIMEZONE
"""


def vtimezone(tzid):
    zone = WINDOWS.get(tzid, tzid)
    if zone == "America/New_York":
        return US_VTIMEZONE.format(tzid=tzid)
    if zone == "Europe/London":
        return UK_VTIMEZONE.format(tzid=tzid)
    return EU_VTIMEZONE.format(tzid=tzid)


def random_rule(rng, once_a_day, all_day):
    from dateutil import rrule  # noqa: F401  (only to fail early without it)
    freq = rng.choice(["YEARLY", "MONTHLY", "WEEKLY", "DAILY"] + ["YEARLY", "MONTHLY", "WEEKLY"] * 2 +
                      ([] if once_a_day else ["HOURLY"]))
    parts = ["FREQ=" + freq]
    if rng.random() < 0.4:
        parts.append("INTERVAL=%d" % rng.randint(1, 4 if freq != "DAILY" else 10))
    if rng.random() < 0.3:
        parts.append("BYMONTH=" + ",".join(str(m) for m in rng.sample(range(1, 13), rng.randint(1, 4))))
    if rng.random() < 0.3:
        days = rng.sample(list(range(1, 32)) + list(range(-31, 0)), rng.randint(1, 3))
        parts.append("BYMONTHDAY=" + ",".join(map(str, days)))
    if rng.random() < 0.45:
        nth = freq in ("MONTHLY", "YEARLY") and rng.random() < 0.5
        items = []
        for _ in range(rng.randint(1, 3)):
            day = rng.choice(DAYS)
            if nth:
                n = rng.choice([1, 2, 3, 4, -1, -2]) if freq == "MONTHLY" else rng.choice([1, 2, 5, 9, -1, -5, -9])
                items.append("%d%s" % (n, day))
            else:
                items.append(day)
        parts.append("BYDAY=" + ",".join(dict.fromkeys(items)))
    if freq == "YEARLY" and rng.random() < 0.15:
        parts.append("BYYEARDAY=" + ",".join(str(x) for x in rng.sample([1, 50, 100, 200, 365, 366, -1, -100], 2)))
    if freq == "YEARLY" and rng.random() < 0.15:
        parts.append("BYWEEKNO=" + ",".join(str(x) for x in rng.sample([1, 2, 10, 20, 52, 53, -1, -2], 2)))
    if not once_a_day and not all_day and rng.random() < 0.2:
        parts.append("BYHOUR=" + ",".join(str(x) for x in rng.sample(range(4, 23), 2)))
    if not once_a_day and not all_day and rng.random() < 0.1:
        parts.append("BYMINUTE=" + ",".join(str(x) for x in rng.sample(range(0, 60, 15), 2)))
    if freq in ("MONTHLY", "YEARLY", "WEEKLY") and rng.random() < 0.2:
        parts.append("BYSETPOS=" + rng.choice(["1", "-1", "2", "1,-1"]))
    if rng.random() < 0.2:
        parts.append("WKST=" + rng.choice(DAYS))
    return parts


def occurrences(rule_text, start, limit):
    from dateutil import rrule
    rule = rrule.rrulestr("RRULE:" + rule_text, dtstart=start)
    found = []
    for moment in rule:
        if moment >= limit or len(found) >= 400:
            break
        found.append(moment)
    return found


def fmt(moment, all_day):
    return moment.strftime("%Y%m%d") if all_day else moment.strftime("%Y%m%dT%H%M%S")


def event_lines(rng, index, uid_base):
    """One repeating event (and its overrides) as iCalendar lines, and the TZIDs it uses."""
    frame = rng.choices(["allday", "floating", "utc", "iana", "windows", "custom"], [25, 10, 20, 25, 15, 5])[0]
    tzid = {"iana": rng.choice(IANA), "windows": rng.choice(list(WINDOWS)), "custom": CUSTOM_TZID}.get(frame)
    all_day = frame == "allday"
    with_overrides = rng.random() < 0.35
    limit = datetime.datetime(2028, 1, 1)
    for _ in range(50):
        parts = random_rule(rng, with_overrides or all_day, all_day)
        seed = datetime.datetime(2026, rng.randint(1, 12), rng.randint(1, 28),
                                 0 if all_day else rng.randint(4, 21), 0 if all_day else rng.choice([0, 15, 30, 45]))
        kind = rng.random()
        rule_text = ";".join(parts)
        try:
            found = occurrences(rule_text, seed, limit)
        except (ValueError, OverflowError, IndexError):  # rules dateutil cannot walk
            continue
        if not found or found[0].year > 2027:
            continue
        start = found[0]
        if not all_day and start.hour < 4:
            continue
        if kind < 0.3:
            count = rng.randint(1, 30)
            rule_text += ";COUNT=%d" % count
            found = found[:count]
        elif kind < 0.5 and len(found) > 1:
            last = found[rng.randint(0, len(found) - 1)]
            if all_day:
                rule_text += ";UNTIL=" + last.strftime("%Y%m%d")
            else:
                # Twelve hours away from the occurrences' own time of day.
                until = (last + datetime.timedelta(hours=12)).replace(minute=0)
                rule_text += ";UNTIL=" + until.strftime("%Y%m%dT%H%M%S") + ("Z" if frame != "floating" else "")
            found = [m for m in found if m <= last]
        break
    else:
        return [], None
    uid = "%s-%d@trevalda.test" % (uid_base, index)
    summary = rng.choice(SUMMARIES) + " %d" % index
    zone_param = (";TZID=" + tzid) if tzid else ""
    value = ";VALUE=DATE" if all_day else ""
    z = "Z" if frame == "utc" else ""

    def stamp(moment):
        return zone_param + value + ":" + fmt(moment, all_day) + z

    lines = ["BEGIN:VEVENT", "UID:" + uid, "DTSTAMP:20260101T000000Z", "DTSTART" + stamp(start)]
    if all_day:
        lines.append("DTEND;VALUE=DATE:" + fmt(start + datetime.timedelta(days=rng.choice([1, 1, 1, 2])), True))
    else:
        lines.append("DTEND" + stamp(start + datetime.timedelta(minutes=rng.choice([30, 60, 90]))))
    lines.append("RRULE:" + rule_text)
    lines.append("SUMMARY:" + summary)
    rest = found[1:]
    if rest and rng.random() < 0.4:
        for moment in rng.sample(rest, min(len(rest), rng.randint(1, 2))):
            lines.append("EXDATE" + stamp(moment))
            rest.remove(moment)
    if rng.random() < 0.2:
        extra = start + datetime.timedelta(days=rng.randint(1, 300), hours=0 if all_day else rng.randint(0, 1))
        lines.append("RDATE" + stamp(extra))
    lines.append("END:VEVENT")
    if with_overrides and rest:
        for moment in rng.sample(rest, min(len(rest), rng.randint(1, 2))):
            rest.remove(moment)
            lines += ["BEGIN:VEVENT", "UID:" + uid, "DTSTAMP:20260101T000000Z", "RECURRENCE-ID" + stamp(moment)]
            if rng.random() < 0.3:
                lines += ["DTSTART" + stamp(moment), "STATUS:CANCELLED", "SUMMARY:" + summary]
            else:
                moved = moment + (datetime.timedelta(days=rng.randint(1, 3)) if all_day or rng.random() < 0.5
                                  else datetime.timedelta(hours=rng.randint(1, 2)))
                lines += ["DTSTART" + stamp(moved), "SUMMARY:" + summary + " (cambiado)"]
            lines.append("END:VEVENT")
    return lines, tzid


def single_event_lines(rng, index, uid_base):
    frame = rng.choice(["allday", "utc", "iana", "floating"])
    tzid = rng.choice(IANA) if frame == "iana" else None
    # UTC across the clock changes of 2026 and 2027 too.
    day = rng.choice([datetime.datetime(2026, 3, 29), datetime.datetime(2026, 10, 25), datetime.datetime(2027, 3, 28),
                      datetime.datetime(2027, 10, 31)] + [datetime.datetime(2026, 1, 1) + datetime.timedelta(days=rng.randint(0, 729))])
    if frame == "allday":
        when = ";VALUE=DATE:" + day.strftime("%Y%m%d")
    elif frame == "utc":
        when = ":" + (day + datetime.timedelta(hours=rng.randint(0, 23), minutes=30)).strftime("%Y%m%dT%H%M%SZ")
    elif frame == "iana":
        when = ";TZID=%s:" % tzid + (day + datetime.timedelta(hours=rng.randint(4, 22))).strftime("%Y%m%dT%H%M%S")
    else:
        when = ":" + (day + datetime.timedelta(hours=rng.randint(0, 23))).strftime("%Y%m%dT%H%M%S")
    return ["BEGIN:VEVENT", "UID:%s-s%d@trevalda.test" % (uid_base, index), "DTSTAMP:20260101T000000Z",
            "DTSTART" + when, "SUMMARY:Una vez %d" % index, "END:VEVENT"], tzid


def generate(folder, count, seed):
    rng = random.Random(seed)
    for n in range(count):
        events, tzids = [], set()
        for i in range(rng.randint(2, 5)):
            lines, tzid = event_lines(rng, i, "c%03d" % n)
            events += lines
            if tzid:
                tzids.add(tzid)
        for i in range(rng.randint(0, 2)):
            lines, tzid = single_event_lines(rng, i, "c%03d" % n)
            events += lines
        head = ["BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Trevalda//pruebas//ES", "CALSCALE:GREGORIAN"]
        zones = [vtimezone(t).strip("\n") for t in sorted(tzids) if t in WINDOWS or t == CUSTOM_TZID or rng.random() < 0.5]
        text = "\r\n".join(head + zones + events + ["END:VCALENDAR"]).replace("\n", "\r\n").replace("\r\r\n", "\r\n")
        with open("%s/cal-%03d.ics" % (folder, n), "w", encoding="utf-8", newline="") as out:
            out.write(text + "\r\n")


def expected(first, last, zone_name, files):
    import icalendar
    import pytz
    import recurring_ical_events
    zone = pytz.timezone(zone_name)
    d0 = datetime.datetime.strptime(first, "%d/%m/%Y").date()
    d1 = datetime.datetime.strptime(last, "%d/%m/%Y").date()
    for name in files:
        with open(name, "rb") as source:
            calendar = icalendar.Calendar.from_ical(source.read())
        days = {}
        found = recurring_ical_events.of(calendar).between(d0 - datetime.timedelta(days=3), d1 + datetime.timedelta(days=3))
        for event in found:
            if str(event.get("STATUS", "")).upper() == "CANCELLED":
                continue
            start = event["DTSTART"].dt
            summary = str(event.get("SUMMARY", ""))
            if isinstance(start, datetime.datetime):
                if start.tzinfo is not None:
                    start = start.astimezone(zone)
                day_list = [start.date()]
                text = start.strftime("%H:%M ") + summary
            else:
                end = event["DTEND"].dt if "DTEND" in event else start + datetime.timedelta(days=1)
                day_list = [start + datetime.timedelta(days=k) for k in range(max(1, (end - start).days))]
                text = summary
            for day in day_list:
                if d0 <= day <= d1:
                    days.setdefault(day, []).append(text)
        with open(expected_name(name, zone_name), "w", encoding="utf-8") as out:
            for day in sorted(days):
                out.write(format_day(day, days[day]))


def expected_name(name, zone_name):
    return "%s.%s.expected" % (name, zone_name.replace("/", "_"))


def format_day(day, texts):
    stamp = day.strftime("%d/%m/%Y")
    if len(texts) > 8:  # the page shows seven and "y N más"
        return "%s\t(%d entradas)\n" % (stamp, len(texts))
    return "".join("%s\t%s\n" % (stamp, text) for text in sorted(texts))


def described(first, describe_text):
    """The --describe output of a range as the lines `expected` writes."""
    day = datetime.datetime.strptime(first, "%d/%m/%Y").date()
    out = []
    for page in describe_text.split("\n\n"):
        lines = page.strip("\n").split("\n")
        entries = lines[7:]
        if entries and entries[-1].startswith("y ") and entries[-1].endswith(" más"):
            out.append("%s\t(%d entradas)\n" % (day.strftime("%d/%m/%Y"), len(entries) - 1 + int(entries[-1].split()[1])))
        elif entries:
            out.append(format_day(day, entries))
        day += datetime.timedelta(days=1)
    return "".join(out)


def compare(trevalda, first, last, zone_name, files):
    """Runs trevalda --describe on each file and compares with FILE.ZONE.expected; prints
    the differences and returns their count."""
    import subprocess
    differences = 0
    for name in files:
        run = subprocess.run([trevalda, "--describe", first, "--to", last, "--dates", name] +
                             ([] if zone_name == "Europe/Madrid" else ["--tz", zone_name]),
                             capture_output=True, text=True, encoding="utf-8")
        if run.returncode != 0:
            print("%s: trevalda termina con %d: %s" % (name, run.returncode, run.stderr.strip()))
            differences += 1
            continue
        mine = described(first, run.stdout).splitlines()
        with open(expected_name(name, zone_name), encoding="utf-8") as source:
            theirs = source.read().splitlines()
        if mine != theirs:
            import difflib
            diff = list(difflib.unified_diff(theirs, mine, "referencia", "trevalda", lineterm="", n=0))
            differences += sum(1 for line in diff[2:] if line[:1] in "+-")
            print(name + ":\n" + "\n".join(diff[:40]))
    return differences


if __name__ == "__main__":
    if sys.argv[1] == "generate":
        generate(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]))
    elif sys.argv[1] == "expected":
        expected(sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5:])
    elif sys.argv[1] == "compare":
        sys.exit(1 if compare(sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5], sys.argv[6:]) else 0)
    elif sys.argv[1] == "described":
        sys.stdout.write(described(sys.argv[2], sys.stdin.read()))
