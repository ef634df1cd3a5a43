#!/usr/bin/env python3
"""zov week --svg and zov report --svg, read back with Python's XML parser:
one bar per piece of net work, each bar's x and width proportional to its
begin and length within a pixel, its colour and title; the days as long as
they really are; librsvg renders every document.

Usage: svg_test.py ZOV FAKETIME_LIB RSVG_CONVERT"""

import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from datetime import datetime, timedelta, timezone
from zoneinfo import ZoneInfo

ZOV, FAKETIME, RSVG = sys.argv[1:4]
NS = '{http://www.w3.org/2000/svg}'
ZONES = ['UTC', 'Europe/Berlin', 'America/New_York', 'Australia/Lord_Howe']
OKABE_ITO = ['#e69f00', '#56b4e9', '#009e73', '#f0e442', '#0072b2', '#d55e00', '#cc79a7', '#000000']
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def local(zone, text):
    return datetime.fromisoformat(text).replace(tzinfo=ZoneInfo(zone))


def line(zone, task, begin, end):
    b, e = local(zone, begin), local(zone, end)
    hours = (e.astimezone(timezone.utc) - b.astimezone(timezone.utc)).total_seconds() / 3600
    return f'{task} {hours:.2f} {b.isoformat()} {e.isoformat()}\n'


def run(zone, data, args, now):
    # A sanitizer build's runtime wants to be loaded first; libfaketime is.
    asan = os.environ.get('ASAN_OPTIONS')
    env = {'PATH': os.environ.get('PATH', '/usr/bin:/bin'), 'TZ': zone, 'HOME': data,
           'LD_PRELOAD': FAKETIME, 'FAKETIME': now,
           'ASAN_OPTIONS': (asan + ':' if asan else '') + 'verify_asan_link_order=0'}
    return subprocess.run([ZOV, '--data', data] + args, env=env, capture_output=True)


def elapsed(zone, midnight, text):
    """Hours from a local midnight to a local time, as the clock really ran."""
    return (local(zone, text).astimezone(timezone.utc)
            - local(zone, midnight).astimezone(timezone.utc)).total_seconds() / 3600


def parse(svg, what):
    root = ET.fromstring(svg)
    check(root.tag == NS + 'svg' and root.get('version') == '1.1', f'{what}: not an SVG 1.1 root')
    check(root.find(NS + 'title') is not None, f'{what}: no title')
    hours = sorted(float(l.get('x1')) for l in root.iter(NS + 'line') if l.get('class') == 'hour')
    days = sorted((r for r in root.iter(NS + 'rect') if r.get('class') == 'day'), key=lambda r: float(r.get('y')))
    bars = [r for r in root.iter(NS + 'rect') if r.get('class') == 'bar']
    return root, hours, days, bars


def render(svg, folder, name):
    path = os.path.join(folder, name + '.svg')
    with open(path, 'wb') as f:
        f.write(svg)
    png = os.path.join(folder, name + '.png')
    p = subprocess.run([RSVG, '-o', png, path], capture_output=True)
    check(p.returncode == 0, f'{name}: rsvg-convert failed: {p.stderr!r}')
    with open(png, 'rb') as f:
        check(f.read(8) == b'\x89PNG\r\n\x1a\n', f'{name}: rsvg-convert wrote no PNG')


def check_bars(what, zone, hours, days, bars, expected, first_day):
    """expected: (row, task, begin, end, title, colour) with local times."""
    check(len(hours) >= 25, f'{what}: {len(hours)} hour lines')
    if len(hours) < 25:
        return
    x0, per_hour = hours[0], (hours[24] - hours[0]) / 24
    row_y = [float(d.get('y')) for d in days]
    check(len(bars) == len(expected), f'{what}: {len(bars)} bars, expected {len(expected)}')
    for bar, (row, task, begin, end, title, colour) in zip(bars, expected):
        day = (datetime.fromisoformat(first_day) + timedelta(days=row)).date().isoformat()
        midnight = day + 'T00:00:00'
        b, e = elapsed(zone, midnight, begin), elapsed(zone, midnight, end)
        x, width = float(bar.get('x')), float(bar.get('width'))
        check(abs(x - (x0 + b * per_hour)) <= 1, f'{what} {title}: x {x}, expected {x0 + b * per_hour}')
        check(abs(width - (e - b) * per_hour) <= 1, f'{what} {title}: width {width}, expected {(e - b) * per_hour}')
        y = float(bar.get('y'))
        check(row < len(row_y) and row_y[row] <= y < row_y[row] + 22, f'{what} {title}: not in row {row}')
        t = bar.find(NS + 'title')
        check(t is not None and t.text == title, f'{what}: title {t.text if t is not None else None!r}, expected {title!r}')
        check(bar.get('fill') == colour, f'{what} {title}: fill {bar.get("fill")}, expected {colour}')


def week_with_correction_and_running(zone, folder):
    """Week 50 of 2026: a correction inside a session, a session across
    midnight, a name with markup characters, a session running now."""
    data = os.path.join(folder, 'week-' + zone.replace('/', '_'))
    os.makedirs(data)
    with open(os.path.join(data, 'HOURS.TSK'), 'w') as f:
        f.write('% task hours t1 t2\n'
                + line(zone, 'A', '2026-12-07T08:00:00', '2026-12-07T12:00:00')
                + line(zone, 'A', '2026-12-07T11:00:00', '2026-12-07T09:00:00')
                + line(zone, 'B', '2026-12-07T09:00:00', '2026-12-07T11:00:00')
                + line(zone, 'C', '2026-12-08T22:00:00', '2026-12-09T02:00:00')
                + line(zone, 'x&<y>', '2026-12-10T10:00:00', '2026-12-10T10:30:00'))
    with open(os.path.join(data, 'CURRENT.TSK'), 'w') as f:
        f.write(f"Run {local(zone, '2026-12-11T08:00:00').isoformat()} ACTIVE\n")
    p = run(zone, data, ['week', '2026', '50', '--svg'], '2026-12-11 10:00:00')
    check(p.returncode == 0, f'week {zone}: status {p.returncode} {p.stderr!r}')
    root, hours, days, bars = parse(p.stdout, f'week {zone}')
    check(len(days) == 7, f'week {zone}: {len(days)} days')
    # C 4 h; A, B and Run 2 h each, by name; x&<y> half an hour.
    c = dict(zip(['C', 'A', 'B', 'Run', 'x&<y>'], OKABE_ITO))
    check_bars(f'week {zone}', zone, hours, days, bars, [
        (0, 'A', '2026-12-07T08:00:00', '2026-12-07T09:00:00', 'A, Mon 07-Dec 08:00-09:00, 1.0 h', c['A']),
        (0, 'B', '2026-12-07T09:00:00', '2026-12-07T11:00:00', 'B, Mon 07-Dec 09:00-11:00, 2.0 h', c['B']),
        (0, 'A', '2026-12-07T11:00:00', '2026-12-07T12:00:00', 'A, Mon 07-Dec 11:00-12:00, 1.0 h', c['A']),
        (1, 'C', '2026-12-08T22:00:00', '2026-12-09T00:00:00', 'C, Tue 08-Dec 22:00-24:00, 2.0 h', c['C']),
        (2, 'C', '2026-12-09T00:00:00', '2026-12-09T02:00:00', 'C, Wed 09-Dec 00:00-02:00, 2.0 h', c['C']),
        (3, 'x&<y>', '2026-12-10T10:00:00', '2026-12-10T10:30:00', 'x&<y>, Thu 10-Dec 10:00-10:30, 0.5 h', c['x&<y>']),
        (4, 'Run', '2026-12-11T08:00:00', '2026-12-11T10:00:00', 'Run, Fri 11-Dec 08:00-10:00, 2.0 h, running', c['Run']),
    ], '2026-12-07')
    legend = [t.text for t in root.iter(NS + 'text')]
    for task, total in [('C', '4.0'), ('A', '2.0'), ('B', '2.0'), ('Run', '2.0'), ('x&<y>', '0.5')]:
        check(task in legend and total in legend, f'week {zone}: legend lacks {task} {total}')
    sheet = run(zone, data, ['week', '2026', '50', '--json'], '2026-12-11 10:00:00')
    import json
    totals = {t['task']: t['total'] for t in json.loads(sheet.stdout)['tasks']}
    check(totals == {'A': 2.0, 'B': 2.0, 'C': 4.0, 'Run': 2.0, 'x&<y>': 0.5}, f'week {zone}: sheet totals {totals}')
    render(p.stdout, folder, 'week-' + zone.replace('/', '_'))


# Each zone's clock change in 2026 (none in UTC): the day's real length.
CHANGE_DAYS = {'UTC': '2026-03-29', 'Europe/Berlin': '2026-03-29',
               'America/New_York': '2026-03-08', 'Australia/Lord_Howe': '2026-04-05'}


def clock_change_day(zone, folder):
    day = CHANGE_DAYS[zone]
    data = os.path.join(folder, 'change-' + zone.replace('/', '_'))
    os.makedirs(data)
    with open(os.path.join(data, 'HOURS.TSK'), 'w') as f:
        f.write('% task hours t1 t2\n' + line(zone, 'A', day + 'T01:00:00', day + 'T06:00:00'))
    p = run(zone, data, ['week', day, '--svg'], '2026-12-11 10:00:00')
    check(p.returncode == 0, f'change {zone}: status {p.returncode} {p.stderr!r}')
    root, hours, days, bars = parse(p.stdout, f'change {zone}')
    monday = (datetime.fromisoformat(day) - timedelta(days=datetime.fromisoformat(day).weekday())).date().isoformat()
    row = datetime.fromisoformat(day).weekday()
    next_day = (datetime.fromisoformat(day) + timedelta(days=1)).date().isoformat()
    real = elapsed(zone, day + 'T00:00:00', next_day + 'T00:00:00')
    per_hour = (hours[24] - hours[0]) / 24 if len(hours) >= 25 else 0
    check(abs(float(days[row].get('width')) - real * per_hour) <= 1,
          f'change {zone}: day {days[row].get("width")} wide, {real} h expected')
    hours_text = f'{elapsed(zone, day + "T00:00:00", day + "T06:00:00") - 1:.1f}'
    title = f'A, {datetime.fromisoformat(day).strftime("%a %d-%b")} 01:00-06:00, {hours_text} h'
    check_bars(f'change {zone}', zone, hours, days, bars,
               [(row, 'A', day + 'T01:00:00', day + 'T06:00:00', title, OKABE_ITO[0])], monday)
    render(p.stdout, folder, 'change-' + zone.replace('/', '_'))


def report_range(zone, folder):
    data = os.path.join(folder, 'report-' + zone.replace('/', '_'))
    os.makedirs(data)
    with open(os.path.join(data, 'HOURS.TSK'), 'w') as f:
        f.write('% task hours t1 t2\n'
                + line(zone, 'A', '2026-11-30T20:00:00', '2026-12-01T03:00:00')
                + line(zone, 'B', '2026-12-14T09:00:00', '2026-12-14T17:00:00')
                + line(zone, 'B', '2026-12-20T09:00:00', '2026-12-20T10:00:00'))
    p = run(zone, data, ['report', '2026-12-01', '2026-12-14', '--svg'], '2026-12-20 12:00:00')
    check(p.returncode == 0, f'report {zone}: status {p.returncode} {p.stderr!r}')
    root, hours, days, bars = parse(p.stdout, f'report {zone}')
    check(len(days) == 14, f'report {zone}: {len(days)} days')
    check_bars(f'report {zone}', zone, hours, days, bars, [
        (0, 'A', '2026-12-01T00:00:00', '2026-12-01T03:00:00', 'A, Tue 01-Dec 00:00-03:00, 3.0 h', OKABE_ITO[1]),
        (13, 'B', '2026-12-14T09:00:00', '2026-12-14T17:00:00', 'B, Mon 14-Dec 09:00-17:00, 8.0 h', OKABE_ITO[0]),
    ], '2026-12-01')
    render(p.stdout, folder, 'report-' + zone.replace('/', '_'))
    longest = run(zone, data, ['report', '2026-10-31', '2026-12-31', '--svg'], '2026-12-20 12:00:00')
    check(longest.returncode == 0 and len(parse(longest.stdout, 'longest')[2]) == 62, f'report {zone}: 62 days')
    too_long = run(zone, data, ['report', '2026-10-30', '2026-12-31', '--svg'], '2026-12-20 12:00:00')
    check(too_long.returncode == 2 and b'at most 62 days' in too_long.stderr,
          f'report {zone}: 62 days and one: status {too_long.returncode} {too_long.stderr!r}')


with tempfile.TemporaryDirectory() as folder:
    for zone in ZONES:
        week_with_correction_and_running(zone, folder)
        clock_change_day(zone, folder)
        report_range(zone, folder)

for f in failures:
    print('FAIL:', f)
print(f'{len(failures)} failures')
sys.exit(1 if failures else 0)
