"""Compares the almanac's moon phases and sunrise and sunset with PyEphem.

usage: oracle_check.py COMMAND...   (COMMAND runs almanac_table, e.g. under wine)

Phases of the moon of 2024-2028 (peninsular time) must agree within 2 minutes,
sunrise and sunset of Madrid, Barcelona, A Coruna and Las Palmas for every day
of 2027 within 1 minute. Local times come from the time-zone database
(Europe/Madrid, Atlantic/Canary), independently of the almanac's own rule.
Exit status 77 (skipped) when this Python has no ephem module.
"""

import datetime
import subprocess
import sys

try:
    import ephem
except ImportError:
    print("SKIPPED: %s has no 'ephem' module (Debian package python3-ephem); "
          "the almanac was not compared with the ephemeris" % sys.executable)
    sys.exit(77)

from zoneinfo import ZoneInfo

ZONES = {"peninsula": ZoneInfo("Europe/Madrid"), "canary": ZoneInfo("Atlantic/Canary")}
MOON_YEARS = (2024, 2028)
SUN_YEAR = 2027
PLACES = ["Madrid", "Barcelona", "A Coruna", "Las Palmas"]
UTC = datetime.timezone.utc


def run(command, *args):
    result = subprocess.run(command + [str(a) for a in args], stdout=subprocess.PIPE, check=True)
    return result.stdout.decode("ascii").replace("\r", "").splitlines()


def local_minute(ephem_date, zone):
    """An ephem instant as a naive local datetime rounded to the minute."""
    utc = ephem.Date(ephem_date).datetime().replace(tzinfo=UTC)
    local = utc.astimezone(zone).replace(tzinfo=None)
    return (local + datetime.timedelta(seconds=30)).replace(second=0, microsecond=0)


def parse_local(day, clock):
    return datetime.datetime.strptime(day + " " + clock, "%Y-%m-%d %H:%M")


def minutes_apart(a, b):
    return abs((a - b).total_seconds()) / 60


def check_moon(command, failures):
    zone = ZONES["peninsula"]
    ours = [(parse_local(f[1], f[2]), f[3]) for f in (line.split() for line in
                                                     run(command, "moon", *MOON_YEARS))]
    finders = {"new": ephem.next_new_moon, "first": ephem.next_first_quarter_moon,
               "full": ephem.next_full_moon, "last": ephem.next_last_quarter_moon}
    first = datetime.datetime(MOON_YEARS[0], 1, 1)
    last = datetime.datetime(MOON_YEARS[1] + 1, 1, 1)
    theirs = []
    for name, find in finders.items():
        when = ephem.Date(first - datetime.timedelta(days=2))
        while True:
            when = find(when)
            local = local_minute(when, zone)
            if local >= last + datetime.timedelta(days=1):
                break
            theirs.append((local, name))
            when = ephem.Date(when + ephem.hour)
    theirs.sort()
    worst = 0.0
    # Every phase of the years on both sides: within the tolerance, same kind.
    for mine in ours:
        nearest = min(theirs, key=lambda t: minutes_apart(t[0], mine[0]))
        worst = max(worst, minutes_apart(nearest[0], mine[0]))
        if nearest[1] != mine[1] or minutes_apart(nearest[0], mine[0]) > 2:
            failures.append("moon: ours %s %s, ephem %s %s" % (mine[0], mine[1], *nearest))
    inside = [t for t in theirs if first + datetime.timedelta(minutes=2) <= t[0]
              and t[0] < last - datetime.timedelta(minutes=2)]
    if len(inside) != len(ours):
        failures.append("moon: %d phases from the almanac, %d from ephem" % (len(ours), len(inside)))
    print("moon %d-%d: %d phases, worst difference %.0f min" % (*MOON_YEARS, len(ours), worst))


def check_sun(command, failures):
    lines = run(command, "sun", SUN_YEAR, *PLACES)
    sun = ephem.Sun()
    observer = None
    worst = {}
    for line in lines:
        fields = line.split()
        if fields[0] == "place":
            name, latitude, longitude, zone_name = line[6:].rsplit(" ", 3)
            zone = ZONES[zone_name]
            observer = ephem.Observer()
            observer.lat = ephem.degrees(str(latitude))
            observer.lon = ephem.degrees(str(longitude))
            observer.elevation = 0
            observer.pressure = 0  # no refraction model: the -0:50 altitude includes it
            observer.horizon = "-0:50"
            worst[name] = 0.0
            continue
        day = datetime.datetime.strptime(fields[1], "%Y-%m-%d")
        start = day.replace(tzinfo=zone).astimezone(UTC).replace(tzinfo=None)
        end = (day + datetime.timedelta(days=1)).replace(tzinfo=zone).astimezone(UTC)
        end = end.replace(tzinfo=None)
        for label, clock, find in (("rise", fields[2], observer.next_rising),
                                   ("set", fields[3], observer.next_setting)):
            observer.date = ephem.Date(start)
            event = find(sun, use_center=True)
            expected = local_minute(event, zone) if event.datetime() < end else None
            got = None if clock == "-" else parse_local(fields[1], clock)
            if expected is None or got is None:
                if expected != got:
                    failures.append("%s %s %s: ours %s, ephem %s" % (name, fields[1], label, got,
                                                                     expected))
                continue
            apart = minutes_apart(got, expected)
            worst[name] = max(worst[name], apart)
            if apart > 1:
                failures.append("%s %s %s: ours %s, ephem %s" % (name, fields[1], label, got,
                                                                 expected))
    days = sum(1 for line in lines if line.startswith("sun "))
    print("sun %d: %d place-days, worst difference %s" % (
        SUN_YEAR, days, ", ".join("%s %.0f min" % item for item in worst.items())))
    if days != len(PLACES) * 365:
        failures.append("sun: %d place-days, expected %d" % (days, len(PLACES) * 365))


def main():
    command = sys.argv[1:]
    if not command:
        print(__doc__)
        return 2
    failures = []
    check_moon(command, failures)
    check_sun(command, failures)
    for failure in failures[:40]:
        print("FAIL " + failure)
    if failures:
        print("%d differences beyond the tolerance" % len(failures))
        return 1
    print("almanac agrees with ephem %s" % ephem.__version__)
    return 0


if __name__ == "__main__":
    sys.exit(main())
