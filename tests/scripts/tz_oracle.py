#!/usr/bin/python3
"""Checks a time-zone probe (tests/tz_probe.cpp) against Python's zoneinfo.

    tz_oracle.py [--zones N] PROBE [ARG...]

Runs PROBE (with its arguments: a Wine wrapper and the .exe, say) over the
zones of /usr/share/zoneinfo (all of them, or every Nth with --zones N) and
some Windows zone names, and compares each answer with zoneinfo's on the same
tz database: the offset and wall-clock time of instants on both sides of
every change from 1900 to 2050, of random instants from the year 1 to 9999,
and the instant of wall-clock times in and around every gap and overlap
(the first instant of a repeated time, a skipped one moved forward by the
gap). The Windows names are mapped by reading CLDR's windowsZones.xml here.
Prints the differences and exits 1 if there is one.
"""
import datetime
import os
import random
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
import zoneinfo

ZONEINFO = "/usr/share/zoneinfo"
WINDOWS_ZONES = "/usr/share/unicode/cldr/common/supplemental/windowsZones.xml"
UTC = datetime.timezone.utc
EPOCH = datetime.datetime(1970, 1, 1, tzinfo=UTC)
# Always checked, whatever --zones leaves out.
KEY_ZONES = ["Europe/Madrid", "Atlantic/Canary", "America/New_York", "Australia/Sydney",
             "Australia/Lord_Howe", "UTC", "Etc/UTC", "GMT", "Europe/Dublin", "Africa/Casablanca",
             "America/Nuuk", "Pacific/Apia", "Pacific/Chatham", "Antarctica/Troll"]
WINDOWS_NAMES = ["Romance Standard Time", "W. Europe Standard Time", "Eastern Standard Time",
                 "GMT Standard Time", "Lord Howe Standard Time", "Morocco Standard Time"]


def zone_names():
    names = []
    for root, _, files in os.walk(ZONEINFO):
        for file in files:
            name = os.path.relpath(os.path.join(root, file), ZONEINFO)
            if name.split("/")[0] in ("posix", "right") or name in ("localtime", "posixrules"):
                continue
            if not all(c.isalnum() or c in "/_+-" for c in name):
                continue
            with open(os.path.join(ZONEINFO, name), "rb") as data:
                if data.read(4) == b"TZif":
                    names.append(name)
    return sorted(names)


def offset_at(zone, seconds):
    return int((EPOCH + datetime.timedelta(seconds=seconds)).astimezone(zone).utcoffset()
               .total_seconds())


def changes(zone):
    """Instants at which the offset changes, 1900 to 2050 (at most one per month)."""
    found = []
    start = int((datetime.datetime(1900, 1, 1, tzinfo=UTC) - EPOCH).total_seconds())
    step = 30 * 86400
    previous = offset_at(zone, start)
    t = start
    while t < 2524608000:  # 2050
        nxt = t + step
        now = offset_at(zone, nxt)
        if now != previous:
            low, high = t, nxt  # offset(low) == previous, offset(high) != previous
            while high - low > 1:
                middle = (low + high) // 2
                if offset_at(zone, middle) == previous:
                    low = middle
                else:
                    high = middle
            found.append((high, previous, offset_at(zone, high)))
        previous = now
        t = nxt
    return found


def wall(zone, seconds):
    local = (EPOCH + datetime.timedelta(seconds=seconds)).astimezone(zone)
    return local.replace(tzinfo=None)


def text(local):
    return "%04d-%02d-%02dT%02d:%02d:%02d" % (local.year, local.month, local.day, local.hour,
                                              local.minute, local.second)


def queries(zone, rng):
    """(request, expected answer) pairs for one zone."""
    instants = []
    walls = []
    for t, before, after in changes(zone):
        instants += [t - 1, t, t + 1]
        base = datetime.datetime(1970, 1, 1) + datetime.timedelta(seconds=t + before)
        for delta in (-60, 0, (after - before) // 2, after - before, after - before + 60):
            walls.append(base + datetime.timedelta(seconds=delta))
    low = int((datetime.datetime(1, 1, 3, tzinfo=UTC) - EPOCH).total_seconds())
    high = int((datetime.datetime(9999, 12, 29, tzinfo=UTC) - EPOCH).total_seconds())
    instants += [rng.randrange(low, high) for _ in range(20)]
    instants += [rng.randrange(-2208988800, 4102444800) for _ in range(20)]  # 1900 to 2100
    walls += [wall(zone, t) for t in instants[-20:]]
    pairs = []
    for t in instants:
        local = (EPOCH + datetime.timedelta(seconds=t)).astimezone(zone)
        pairs.append(("U %d" % t, "%d %s" % (local.utcoffset().total_seconds(), text(local))))
    for local in walls:
        utc = local.replace(tzinfo=zone, fold=0).astimezone(UTC)
        pairs.append(("L " + text(local), "%d" % (utc - EPOCH).total_seconds()))
    return pairs


def main():
    args = sys.argv[1:]
    every = 1
    if args[:1] == ["--zones"]:
        every = int(args[1])
        args = args[2:]
    rng = random.Random(21)
    names = sorted(set(zone_names()[::every]) | set(KEY_ZONES))
    mapping = {}
    for element in ElementTree.parse(WINDOWS_ZONES).iter("mapZone"):
        if element.get("territory") == "001":
            mapping[element.get("other")] = element.get("type")
    requests = []
    expected = []
    for name in names + WINDOWS_NAMES:
        iana = mapping.get(name, name)
        zone = zoneinfo.ZoneInfo(iana)
        requests.append("Z " + name)
        # The UTC names all give the one zone "UTC".
        expected.append("zone " + ("UTC" if iana in ("UTC", "Etc/UTC", "GMT") else iana))
        for request, answer in queries(zone, rng):
            requests.append(request)
            expected.append(answer)
    result = subprocess.run(args, input="\n".join(requests) + "\n", capture_output=True,
                            text=True, check=False)
    answers = result.stdout.splitlines()
    if result.returncode != 0 or len(answers) != len(expected):
        print("the probe ended with %d after %d of %d answers: %s"
              % (result.returncode, len(answers), len(expected), result.stderr[-400:]))
        return 1
    zone = ""
    differences = 0
    for request, want, got in zip(requests, expected, answers):
        if request.startswith("Z "):
            zone = request[2:]
        if want.replace(".0 ", " ") != got:
            differences += 1
            if differences <= 30:
                print("%s: %s: expected %s, got %s" % (zone, request, want, got))
    print("%d zones, %d conversions, %d differences" % (len(names) + len(WINDOWS_NAMES),
                                                        len(requests), differences))
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main())
