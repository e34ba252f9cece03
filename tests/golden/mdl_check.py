"""Shared by the .mdl golden cases' independent.py: reads expected.csv and compares it with
values computed apart from the program, from the equations as Vensim defines them."""
import csv, math, os, sys


def expected(folder):
    with open(os.path.join(folder, 'expected.csv'), newline='') as f:
        rows = list(csv.reader(f))
    header, body = rows[0], rows[1:]
    return {name: [float(r[i]) for r in body] for i, name in enumerate(header)}


def times(start, stop, dt):
    n = int(round((stop - start) / dt))
    return [start + k * dt for k in range(n + 1)]


def compare(folder, computed, tolerance=1e-9):
    """computed: name -> list of values at every step. Exits 1 on the first difference."""
    table = expected(folder)
    bad = 0
    for name, values in computed.items():
        got = table.get(name)
        if got is None:
            print(f'{name}: missing from expected.csv'); bad += 1; continue
        if len(got) != len(values):
            print(f'{name}: {len(got)} rows, computed {len(values)}'); bad += 1; continue
        for k, (a, b) in enumerate(zip(got, values)):
            if abs(a - b) > tolerance * max(1.0, abs(b)):
                print(f'{name} at row {k}: expected.csv has {a}, computed {b}'); bad += 1; break
    print(f'{len(computed)} columns compared, {bad} differ')
    sys.exit(1 if bad else 0)


def time_plus(t, dt):
    return t + dt / 2


def step(t, dt, height, start):
    return height if time_plus(t, dt) > start else 0.0


def pulse(t, dt, start, width):
    width = dt if width == 0 else width
    tp = time_plus(t, dt)
    return 1.0 if start < tp < start + width else 0.0


def pulse_train(t, dt, start, width, between, end):
    tp = time_plus(t, dt)
    if not (tp > start and t <= end):
        return 0.0
    return 1.0 if math.fmod(tp - start, between) < max(width, dt) else 0.0


def ramp(t, slope, start, end):
    if not t > start:
        return 0.0
    return slope * (t - start) if t < end else slope * (end - start)


def lookup(xs, ys, x):
    if x <= xs[0]:
        return ys[0]
    if x >= xs[-1]:
        return ys[-1]
    for k in range(1, len(xs)):
        if x <= xs[k]:
            return ys[k - 1] + (x - xs[k - 1]) * (ys[k] - ys[k - 1]) / (xs[k] - xs[k - 1])
