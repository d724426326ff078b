#!/usr/bin/python3
"""Calendars at the per-file bound: bound_calendars.py DIR FILES KIND writes
DIR/bound-NN.ics, each with 5,000 repeating events and 5,000 RECURRENCE-ID
overrides of the first of them (10,000 VEVENTs, the most a file may hold).
KIND: yearly (birthdays), weekly (classes) or mixed."""
import sys


def calendar(number, kind):
    lines = ["BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Trevalda//cota//ES"]
    for i in range(5000):
        rule = kind if kind != "mixed" else ("yearly", "weekly", "monthly")[i % 3]
        freq = {"yearly": "FREQ=YEARLY", "weekly": "FREQ=WEEKLY;BYDAY=MO,WE", "monthly": "FREQ=MONTHLY;BYMONTHDAY=-1"}[rule]
        lines += ["BEGIN:VEVENT", "UID:e%d-%d@cota" % (number, i),
                  "DTSTART;TZID=Europe/Madrid:2020%02d%02dT%02d3000" % (i % 12 + 1, i % 28 + 1, 8 + i % 12),
                  "RRULE:" + freq, "SUMMARY:Evento %d" % i, "END:VEVENT"]
    for k in range(5000):
        # Every day of the first event's fourteen years, moved an hour later.
        lines += ["BEGIN:VEVENT", "UID:e%d-0@cota" % number,
                  "RECURRENCE-ID;TZID=Europe/Madrid:%04d0101T083000" % (2021 + k % 14),
                  "DTSTART;TZID=Europe/Madrid:%04d0101T093000" % (2021 + k % 14),
                  "SUMMARY:Cambio %d" % k, "END:VEVENT"]
    lines.append("END:VCALENDAR")
    return "\r\n".join(lines) + "\r\n"


folder, files, kind = sys.argv[1], int(sys.argv[2]), sys.argv[3]
for n in range(files):
    with open("%s/bound-%02d.ics" % (folder, n), "w", newline="") as out:
        out.write(calendar(n, kind))
