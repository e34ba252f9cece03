#!/usr/bin/env python3
"""Checks expected.csv of this case against values computed here, apart from the program.

The model runs from 0 to 10 in steps of 0.5 with Euler integration: Stock starts at 10 and
grows by dt x Growth of the step before. The functions are written out from their definitions
(math.sin ... math.atan; a - b x floor(a / b); pulses listed start by start; INIT the first
value; PREVIOUS the value one step back; HISTORY linear interpolation over the recorded steps;
TREND's average stepped as avg += dt x (x - avg) / T from x / (1 + initial x T)). A failing
function gives 0. Run: python3 independent.py [expected.csv]
"""
import csv
import math
import os
import sys

DT, STEPS, TOL = 0.5, 20, 1e-10


def pulse_train(t, first, width, interval, last):
    k = 0
    while True:
        start = first + k * interval
        if start > last + TOL:
            return 0.0
        if start - TOL <= t < start + width - TOL:
            return 1.0
        if interval <= 0 or start > t:
            return 0.0
        k += 1


def modulo(a, b):
    return a - b * math.floor(a / b)


def history(points, current_time, current, when):
    if not points or when >= current_time - TOL:
        return current
    points = points + [(current_time, current)]
    if when <= points[0][0]:
        return points[0][1]
    for (t0, v0), (t1, v1) in zip(points, points[1:]):
        if t0 <= when <= t1:
            return v0 + (v1 - v0) * (when - t0) / (t1 - t0)
    return current


def asin_or_zero(x):
    return math.asin(x) if -1 <= x <= 1 else 0.0


def model():
    rows = []
    stock, growth = 10.0, None
    stocks = []
    average = None
    counter_next = None
    for k in range(STEPS + 1):
        t = k * DT
        if k > 0:
            stock += DT * growth
        growth = stock * 0.05 + 2 * pulse_train(t, 1, 1, 3, 7)
        angle = t / 4
        wave = math.sin(angle) + math.cos(angle) * 2 + math.tan(angle / 2)
        inverse = math.asin(wave / 6) + math.acos(wave / 6) * 2 + math.atan(wave)
        if average is None:
            average = stock / (1 + 0.05 * 2)
        trend = (stock - average) / (2 * abs(average))
        counter = 0.0 if counter_next is None else counter_next
        row = {
            "Time": t,
            "Stock": stock,
            "Growth": growth,
            "Angle": angle,
            "Wave": wave,
            "Inverse": inverse,
            "Out of Range": asin_or_zero(angle - 1),
            "Remainder": modulo(stock, 3) + modulo(t - 5, -2),
            "Start": 10.0,
            "Last Step": stocks[-1][1] if stocks else 0.0,
            "Back Then": history(stocks, t, stock, t - 1.25),
            "Growth Trend": trend,
            "Counter": counter,
            "Next Count": counter + 1,
        }
        rows.append(row)
        stocks.append((t, stock))
        average += DT * (stock - average) / 2
        counter_next = counter + 1
    return rows


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__),
                                                              "expected.csv")
    with open(path, newline="") as f:
        written = list(csv.DictReader(f))
    computed = model()
    assert len(written) == len(computed), (len(written), len(computed))
    worst = 0.0
    for got, want in zip(written, computed):
        assert set(got) == set(want), sorted(set(got) ^ set(want))
        for name, value in want.items():
            diff = abs(float(got[name]) - value)
            worst = max(worst, diff / max(1.0, abs(value)))
            assert diff <= 1e-9 * max(1.0, abs(value)), (got["Time"], name, got[name], value)
    print(f"{len(written)} rows agree; largest relative difference {worst:.3g}")


if __name__ == "__main__":
    main()
