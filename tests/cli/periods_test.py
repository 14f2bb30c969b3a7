"""tarvella-cli periods, read back by parsers that share nothing with the program: Python's csv
and json modules and python3-icalendar."""

import csv
import datetime
import io
import json
import os
import random
import re
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

import icalendar

CLI = sys.argv.pop(1)
ROWS = {1: 12, 2: 156, 3: 1884, 4: 22620, 5: 271452}
OUTSIDE = "outside 1800-2099"


def chart_text(birth=(1970, 4, 4, 17, 50.0), birth_zone=(0, 5, 30.0), event=(1999, 8, 22, 12, 10.0),
               event_zone=(1, 4, 0.0), years=1, start=1999, path=(0, 0, 0, 0), level=1):
    def zone(z):
        west, hours, minutes = z
        offset = (hours + minutes / 60.0) * (1 if west else -1)
        return [str(west), str(hours), "%f" % minutes, "%f" % offset]

    fields = ["4002"]
    fields += [str(v) if isinstance(v, int) else "%f" % v for v in birth] + zone(birth_zone)
    fields += [str(v) if isinstance(v, int) else "%f" % v for v in event] + zone(event_zone)
    fields += [str(years), str(start)] + [str(i) for i in path] + [str(level)]
    return "\r\n".join(fields) + "\r\n"


def random_chart(rng, **over):
    year = rng.randint(1850, 2040)
    years = rng.randint(1, 12)
    args = dict(birth=(year, rng.randint(1, 12), rng.randint(1, 28), rng.randint(0, 23),
                       float(rng.randint(0, 59))),
                birth_zone=(rng.randint(0, 1), rng.randint(0, 11), 30.0 * rng.randint(0, 1)),
                event_zone=(rng.randint(0, 1), rng.randint(0, 11), 15.0 * rng.randint(0, 3)),
                years=years, start=min(year + rng.randint(0, 60), 2099 - years),
                path=tuple(rng.randint(0, 11) for _ in range(4)))
    args.update(over)
    return chart_text(**args)


class Cli:
    def __init__(self, tmp):
        self.tmp = tmp
        self.n = 0

    def chart(self, text):
        self.n += 1
        path = os.path.join(self.tmp, "c%d.vkt" % self.n)
        with open(path, "w", newline="") as f:
            f.write(text)
        return path

    def run(self, *args, check=True):
        p = subprocess.run([CLI, *args], capture_output=True)
        if check and p.returncode != 0:
            raise AssertionError("%s failed: %s" % (args, p.stderr.decode()))
        return p


def parse_local(text):
    return datetime.datetime.fromisoformat(text)


def parse_utc(text):
    assert text.endswith("Z"), text
    return datetime.datetime.fromisoformat(text[:-1]).replace(tzinfo=datetime.timezone.utc)


def report_minute(local):
    """The report's text of an instant: the nearest whole minute, a half going up."""
    t = local.replace(tzinfo=None) + datetime.timedelta(seconds=30)
    return "%2d %s %04d, %02d:%02d" % (t.day, t.strftime("%b"), t.year, t.hour, t.minute)


class PeriodsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.TemporaryDirectory()
        cls.cli = Cli(cls.dir.name)

    @classmethod
    def tearDownClass(cls):
        cls.dir.cleanup()

    def csv_rows(self, *args):
        out = self.cli.run("periods", *args, "--format", "csv").stdout
        self.assertNotIn(b"\n", out.replace(b"\r\n", b""), "every line ends in CR LF")
        # The writer quotes nothing, so no field may ever need it.
        self.assertNotIn(b'"', out, "no field needs quoting")
        rows = list(csv.reader(io.StringIO(out.decode("utf-8"), newline="")))
        self.assertTrue(all(len(r) == len(rows[0]) for r in rows), "no field holds a comma")
        self.assertEqual(rows[0], ["tier", "path", "start_utc", "end_utc", "start_local",
                                   "end_local", "start_longitude", "end_longitude",
                                   "start_degrees", "end_degrees", "start_uncertainty_s",
                                   "end_uncertainty_s"])
        return [dict(zip(rows[0], r)) for r in rows[1:]]

    def check_tiling(self, rows, depth):
        self.assertEqual(len(rows), ROWS[depth])
        last_end = {}
        open_parent = {}
        for r in rows:
            path = [int(i) for i in r["path"].split(".")]
            tier = len(path)
            self.assertEqual(r["tier"], ["AD", "PD", "SD", "PAD", "DAD"][tier - 1])
            if tier in last_end:
                self.assertEqual(last_end[tier], (r["start_utc"], r["start_local"]), r)
            if tier > 1:
                parent = open_parent[tier - 1]
                self.assertEqual(parent["path"].split("."), r["path"].split(".")[:-1])
                if path[-1] == 1:
                    self.assertEqual(parent["start_utc"], r["start_utc"], r)
                if path[-1] == 12:
                    self.assertEqual(parent["end_utc"], r["end_utc"], r)
            last_end[tier] = (r["end_utc"], r["end_local"])
            open_parent[tier] = r
            if OUTSIDE in (r["start_utc"], r["end_utc"]):
                continue
            start, end = parse_utc(r["start_utc"]), parse_utc(r["end_utc"])
            self.assertLessEqual(start, end, r)
            # Local and UT name the same second.
            self.assertEqual(parse_local(r["start_local"]), start, r)
            self.assertEqual(parse_local(r["end_local"]), end, r)
            for end_name in ("start", "end"):
                sign, deg, minute, sec = r[end_name + "_longitude"].split(" ")
                self.assertIn(sign, "Ar Ta Ge Cn Le Vi Li Sc Sg Cp Aq Pi".split())
                exact = float(r[end_name + "_degrees"])
                shown = ("Ar Ta Ge Cn Le Vi Li Sc Sg Cp Aq Pi".split().index(sign) * 30 +
                         int(deg) + int(minute) / 60 + int(sec) / 3600)
                self.assertLess(abs((shown - exact + 180) % 360 - 180), 1 / 3600, r)

    def test_tiling_of_random_charts_at_every_depth(self):
        rng = random.Random(15)
        for i in range(10):
            depth = i % 4 + 1
            with self.subTest(chart=i, depth=depth):
                self.check_tiling(self.csv_rows(self.cli.chart(random_chart(rng)),
                                                "--depth", str(depth)), depth)
        with self.subTest(depth=5):
            self.check_tiling(self.csv_rows(self.cli.chart(random_chart(rng, years=12)),
                                            "--depth", "5"), 5)

    def report_rows(self, chart, level, *args):
        text = self.cli.run("report", chart, "--level", str(level), *args).stdout.decode()
        rows = [line for line in text.split("\r\n") if line[:5].strip().endswith(":")
                and line[2:4] in ("st", "nd", "rd", "th")]
        self.assertEqual(len(rows), 12, text)
        found = [re.match(r"^[ \d]\d\w\w: (.*?) +\([^)]*\) - (.*?) +\([^)]*\)$", row) for row in rows]
        self.assertTrue(all(found), rows)
        return [m.groups() for m in found]

    def check_against_report(self, text, *args, depth=5):
        chart = self.cli.chart(text)
        rows = self.csv_rows(chart, "--depth", str(depth), *args)
        path = [int(v) for v in text.split("\r\n")[21:25]]
        for level in range(1, depth + 1):
            prefix = ".".join(str(i + 1) for i in path[:level - 1])
            mine = [r for r in rows if r["path"].count(".") == level - 1 and
                    r["path"].startswith(prefix)]
            mine = [r for r in mine if ".".join(r["path"].split(".")[:-1]) == prefix]
            self.assertEqual(len(mine), 12)
            shown = self.report_rows(chart, level, *args)
            for r, (start, end) in zip(mine, shown):
                for local, want in ((r["start_local"], start), (r["end_local"], end)):
                    if local == OUTSIDE:
                        self.assertTrue(want.startswith(OUTSIDE), (r, want))
                    else:
                        self.assertEqual(report_minute(parse_local(local)), want, r)
        return rows

    def test_minute_rounded_export_is_the_report(self):
        rng = random.Random(7)
        for i in range(4):
            with self.subTest(chart=i):
                self.check_against_report(random_chart(rng))

    def test_daylight_saving_between_birth_and_event(self):
        # Born in winter in New York, the event in summer: the event's zone, -04:00, times
        # every period, as the report shows them.
        text = chart_text(birth=(1980, 1, 15, 9, 30.0), event=(2001, 7, 4, 12, 0.0),
                          years=2, start=2000, path=(3, 4, 5, 6))
        args = ("--birth-zone", "America/New_York", "--event-zone", "America/New_York")
        rows = self.check_against_report(text, *args, depth=4)
        self.assertTrue(all(r["start_local"].endswith("-04:00") for r in rows))
        meta = json.loads(self.cli.run("periods", self.cli.chart(text), "--format", "json",
                                       "--depth", "1", *args).stdout)
        self.assertTrue(meta["birth"]["local"].endswith("-05:00"))
        self.assertEqual(meta["local_offset"], "-04:00")

    def test_md_past_the_table(self):
        text = chart_text(years=12, start=2093, path=(11, 11, 0, 0))
        rows = self.check_against_report(text, depth=3)
        outside = [r for r in rows if r["end_utc"] == OUTSIDE]
        self.assertTrue(outside)
        self.assertTrue(all(r["end_local"] == OUTSIDE for r in outside))
        chart = self.cli.chart(text)
        data = json.loads(self.cli.run("periods", chart, "--format", "json", "--depth", "3").stdout)
        self.assertIsNone(data["md"]["end_utc"])
        self.assertEqual(sum(p["end_utc"] is None for p in data["periods"]), len(outside))
        cal = icalendar.Calendar.from_ical(self.cli.run("periods", chart, "--format", "ics",
                                                        "--depth", "3").stdout)
        within = [r for r in rows if OUTSIDE not in (r["start_utc"], r["end_utc"])]
        self.assertEqual(len(cal.walk("VEVENT")), len(within))

    def test_json_and_icalendar_hold_the_csv_periods(self):
        chart = self.cli.chart(chart_text(years=3, start=2001, path=(4, 5, 9, 0)))
        rows = self.csv_rows(chart, "--depth", "3")
        data = json.loads(self.cli.run("periods", chart, "--format", "json", "--depth", "3").stdout)
        self.assertEqual(data["md"]["years"], 3)
        self.assertEqual(data["md"]["start_year"], 2001)
        self.assertEqual(data["depth"], 3)
        self.assertEqual(data["period_count"], len(rows))
        figures = [p[k] for p in data["periods"] for k in ("start_uncertainty_s",
                                                              "end_uncertainty_s")]
        self.assertEqual(data["uncertainty_seconds"], max(figures))
        self.assertIn("largest", data["uncertainty"])
        self.assertIn("Lahiri", data["ayanamsa"]["name"])
        self.assertEqual(data["md"]["start_utc"], rows[0]["start_utc"])
        self.assertEqual(data["md"]["end_utc"], rows[-1]["end_utc"])
        for r, p in zip(rows, data["periods"], strict=True):
            for key in ("tier", "path", "start_utc", "end_utc", "start_local", "end_local",
                        "start_longitude", "end_longitude"):
                self.assertEqual(r[key], p[key])
            self.assertAlmostEqual(float(r["start_degrees"]), p["start_degrees"], places=6)
            self.assertEqual(float(r["end_uncertainty_s"]), p["end_uncertainty_s"])

        raw = self.cli.run("periods", chart, "--format", "ics", "--depth", "3").stdout
        lines = raw.split(b"\r\n")
        self.assertEqual(lines[-1], b"")
        self.assertTrue(all(b"\n" not in line and len(line) <= 75 for line in lines))
        cal = icalendar.Calendar.from_ical(raw)
        self.assertEqual(str(cal["VERSION"]), "2.0")
        events = cal.walk("VEVENT")
        self.assertEqual(len(events), len(rows))
        self.assertEqual(len({str(e["UID"]) for e in events}), len(events))
        for r, e in zip(rows, events):
            self.assertEqual(e.decoded("DTSTART"), parse_utc(r["start_utc"]))
            self.assertEqual(e.decoded("DTEND"), parse_utc(r["end_utc"]))
            names = ["%s %s" % ("1st 2nd 3rd 4th 5th 6th 7th 8th 9th 10th 11th 12th".split()[
                int(i) - 1], t) for i, t in zip(r["path"].split("."), ["AD", "PD", "SD"])]
            self.assertEqual(str(e["SUMMARY"]), " / ".join(names))
            self.assertIn(r["start_longitude"], str(e["DESCRIPTION"]))
            self.assertIn("Start within %s s, end within %s s" % (
                r["start_uncertainty_s"], r["end_uncertainty_s"]), str(e["DESCRIPTION"]))
            self.assertEqual(e.walk("VALARM"), [])
        # The same chart gives the same UIDs, another chart others.
        again = icalendar.Calendar.from_ical(
            self.cli.run("periods", chart, "--format", "ics", "--depth", "1").stdout)
        self.assertEqual([str(e["UID"]) for e in again.walk("VEVENT")],
                         [str(e["UID"]) for e in events if "/" not in str(e["SUMMARY"])])
        other = self.cli.chart(chart_text(years=3, start=2002))
        third = icalendar.Calendar.from_ical(
            self.cli.run("periods", other, "--format", "ics", "--depth", "1").stdout)
        self.assertFalse({str(e["UID"]) for e in third.walk("VEVENT")} &
                         {str(e["UID"]) for e in events})

    def test_bad_arguments_and_charts_as_report_has_them(self):
        bad = self.cli.chart("4002\r\n1970\r\n")
        for args, code in ((["--depth", "0"], 2), (["--depth", "6"], 2), (["--depth"], 2),
                           (["--format", "xml"], 2), (["--level", "2"], 2),
                           (["--ayanamsa", "1", "--pref", "x"], 2), ([bad], 1),
                           (["/nonexistent.vkt"], 1), (["--event-zone", "Nowhere/Place"], 1)):
            with self.subTest(args=args):
                p = self.cli.run("periods", *args, check=False)
                self.assertEqual(p.returncode, code, p.stderr)
                self.assertEqual(p.stdout, b"")
                self.assertTrue(p.stderr.startswith(b"tarvella-cli: "))
        self.assertIn(b"is not a chart", self.cli.run("periods", bad, check=False).stderr)
        full = subprocess.run("%s periods --depth 2 > /dev/full" % CLI, shell=True,
                              capture_output=True)
        self.assertEqual(full.returncode, 1)
        self.assertIn(b"cannot write", full.stderr)

    def test_uncertainty_grows_toward_the_tables_ends(self):
        # One 12-year MD near each end and one in the middle: the truncated second and the
        # search's few seconds in the middle; Delta T's seconds in 1800, over a minute by 2099.
        def figures(start, birth_year):
            chart = self.cli.chart(chart_text(birth=(birth_year, 4, 4, 17, 50.0), years=12,
                                              start=start))
            rows = self.csv_rows(chart, "--depth", "2")
            return [float(r[k]) for r in rows for k in ("start_uncertainty_s",
                                                        "end_uncertainty_s") if r[k]]
        early, middle, late = figures(1800, 1800), figures(1990, 1970), figures(2087, 2080)
        self.assertTrue(all(1.0 < u < 6.0 for u in middle), middle)
        mean = lambda u: sum(u) / len(u)
        self.assertGreater(mean(early), mean(middle) + 1.0)
        self.assertGreater(max(late), 60.0)
        self.assertGreater(late[-1], late[0])

    def test_precise_mode_and_alarms(self):
        chart = self.cli.chart(chart_text(years=3, start=2001, path=(4, 5, 9, 0)))
        default = self.csv_rows(chart, "--depth", "2")
        precise = self.csv_rows(chart, "--depth", "2", "--precise")
        for d, p in zip(default, precise, strict=True):
            self.assertRegex(p["start_utc"], r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d\dZ$")
            # The two models differ by the day's step of the correction, a few seconds; the
            # precise search states far less: Delta T and its hundredth are all that is left.
            moved = abs((parse_utc(p["start_utc"]) - parse_utc(d["start_utc"])).total_seconds())
            self.assertLess(moved, 10.0, (d, p))
            self.assertLess(float(p["start_uncertainty_s"]), 0.1)
        report = self.cli.run("report", chart, "--precise").stdout
        self.assertTrue(report.startswith(b"Tarvella (precise instants)\r\n"), report[:40])
        self.assertTrue(self.cli.run("report", chart).stdout.startswith(b"Tarvella\r\n"))

        raw = self.cli.run("periods", chart, "--format", "ics", "--depth", "2", "--alarm", "1d",
                           "--alarm-tiers", "AD").stdout
        events = icalendar.Calendar.from_ical(raw).walk("VEVENT")
        for e in events:
            alarms = e.walk("VALARM")
            if "/" in str(e["SUMMARY"]):
                self.assertEqual(alarms, [], e["SUMMARY"])
                continue
            self.assertEqual(len(alarms), 1)
            self.assertEqual(str(alarms[0]["ACTION"]), "DISPLAY")
            self.assertEqual(alarms[0].decoded("TRIGGER"), -datetime.timedelta(days=1))
        raw = self.cli.run("periods", chart, "--format", "ics", "--depth", "2", "--alarm",
                           "90m").stdout
        alarms = icalendar.Calendar.from_ical(raw).walk("VALARM")
        self.assertEqual(len(alarms), 156)
        self.assertTrue(all(a.decoded("TRIGGER") == -datetime.timedelta(minutes=90)
                            for a in alarms))
        for args in (["--alarm", "0d"], ["--alarm", "2x"], ["--alarm", "1d"],
                     ["--alarm", "1d", "--format", "ics", "--alarm-tiers", "AD,XD"],
                     ["--alarm", "1d", "--format", "ics", "--alarm-tiers", "AD,AD"],
                     ["--alarm-tiers", "AD", "--format", "ics"]):
            with self.subTest(args=args):
                p = self.cli.run("periods", chart, *args, check=False)
                self.assertEqual(p.returncode, 2, p.stderr)

    def test_ayanamsa_moves_the_longitudes(self):
        chart = self.cli.chart(chart_text())
        lahiri = self.csv_rows(chart, "--depth", "1")
        raman = self.csv_rows(chart, "--depth", "1", "--ayanamsa", "1")
        # The natal Sun moves with the zodiac, so the instants barely do; the longitudes do.
        self.assertNotEqual(lahiri[0]["start_longitude"], raman[0]["start_longitude"])
        data = json.loads(self.cli.run("periods", chart, "--format", "json", "--depth", "1",
                                       "--ayanamsa", "1").stdout)
        self.assertIn("Raman", data["ayanamsa"]["name"])

    def test_now_and_timeline(self):
        chart = self.cli.chart(chart_text(years=1, start=1999, path=(4, 5, 9, 1), level=4))
        at = "1999-08-22T15:48:00Z"
        every = {r["path"]: r for r in self.csv_rows(chart, "--depth", "5")}
        out = self.cli.run("now", chart, "--at", at, "--format", "csv").stdout
        rows = list(csv.DictReader(io.StringIO(out.decode(), newline="")))
        self.assertEqual([r["tier"] for r in rows], ["MD", "AD", "PD", "SD", "PAD", "DAD"])
        instant = parse_utc(at)
        for r in rows:
            self.assertLessEqual(parse_utc(r["start_utc"]), instant, r)
            self.assertGreater(parse_utc(r["end_utc"]), instant, r)
            # The export's own row of that period, field for field.
            if r["tier"] != "MD":
                self.assertEqual(r, every[r["path"]])
        self.assertEqual(rows[0]["start_utc"], every["1"]["start_utc"])
        self.assertEqual(rows[0]["end_utc"], every["12"]["end_utc"])
        data = json.loads(self.cli.run("now", chart, "--at", at, "--format", "json").stdout)
        self.assertEqual(data["where"], "inside")
        self.assertEqual([p["start_utc"] for p in data["periods"]],
                         [r["start_utc"] for r in rows])
        precise = list(csv.DictReader(io.StringIO(self.cli.run(
            "now", chart, "--at", at, "--format", "csv", "--precise").stdout.decode(),
            newline="")))
        self.assertEqual([r["path"] for r in precise], [r["path"] for r in rows])
        for r in precise:
            self.assertRegex(r["end_utc"], r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d\dZ$")
        text = self.cli.run("now", chart, "--at", at).stdout.decode().splitlines()
        self.assertEqual(len(text), 7)
        self.assertEqual(text[0], "At %s: 5th AD / 6th PD / 10th SD / 2nd PAD / 2nd DAD" % at)
        self.assertRegex(text[6], r": +\d+ Aug 1999, \d\d:\d\d:\d\d to ")
        # Outside the MD: which side and how far, and no periods.
        before = self.cli.run("now", chart, "--at", "1997-01-01").stdout.decode()
        self.assertRegex(before, r"^At 1997-01-01T00:00:00Z: 2 y 3 mo before this MD\n")
        self.assertEqual(self.cli.run("now", chart, "--at", "2003-01-01", "--format",
                                      "csv").stdout.count(b"\r\n"), 1)
        after = json.loads(self.cli.run("now", chart, "--at", "2003-01-01", "--format",
                                        "json").stdout)
        self.assertEqual((after["where"], after["periods"]), ("after", []))

        # The SVG: the same bytes twice, well-formed, a titled rectangle per period drawn.
        svgs = [self.cli.run("timeline", chart, "--at", at, "--width", "900").stdout
                for _ in range(2)]
        self.assertEqual(svgs[0], svgs[1])
        ns = {"s": "http://www.w3.org/2000/svg"}
        root = ElementTree.fromstring(svgs[0])
        self.assertEqual((root.tag, root.get("width")), ("{%s}svg" % ns["s"], "900"))
        titles = [t.text for t in root.iterfind("s:rect/s:title", ns)]
        self.assertIn("5th AD: %s to %s" % (every["5"]["start_utc"], every["5"]["end_utc"]),
                      titles)
        self.assertEqual(sum(t.startswith("MD: ") for t in titles), 1)
        self.assertEqual(len(root.findall("s:line[@stroke='#c80000']", ns)), 1)  # the present
        hour = ElementTree.fromstring(self.cli.run(
            "timeline", chart, "--at", at, "--from", "1999-08-22T15:00Z", "--to",
            "1999-08-22T16:00Z").stdout)
        dads = [t.text for t in hour.iterfind("s:rect/s:title", ns) if t.text.count("/") == 4]
        self.assertIn("%s: %s to %s" % ("5th AD / 6th PD / 10th SD / 2nd PAD / 2nd DAD",
                                        rows[-1]["start_utc"], rows[-1]["end_utc"]), dads)
        for args in (["timeline", "--width", "50"], ["timeline", "--width", "x"],
                     ["timeline", "--from", "1999-13-01"], ["timeline", "--at"],
                     ["timeline", "--from", "2000-01-01", "--to", "1999-01-01"],
                     ["timeline", "--format", "csv"], ["now", "--format", "ics"],
                     ["now", "--depth", "2"], ["now", "--at", "yesterday"], ["now", "a", "b"]):
            with self.subTest(args=args):
                p = self.cli.run(*args, check=False)
                self.assertEqual(p.returncode, 2, p.stderr)
                self.assertEqual(p.stdout, b"")
        for command in ("now", "timeline"):
            full = subprocess.run("%s %s > /dev/full" % (CLI, command), shell=True,
                                  capture_output=True)
            self.assertEqual(full.returncode, 1, command)
            self.assertIn(b"cannot write", full.stderr)


if __name__ == "__main__":
    unittest.main()
