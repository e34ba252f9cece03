"""DELAY1, DELAY3, SMOOTH, SMOOTH3 and their I forms with the level equations Vensim gives for
them (DELAY3: three levels of delay/3, each starting at delay/3 times the initial value), and
DELAY FIXED as a pipeline: the input of 3 time units before, 7 until then; DELAY N and SMOOTH N
as chains of their order's levels (five of delay/5 starting at 8 * delay/5, four of time/4
starting at 20). Euler by 0.25."""
import os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
from mdl_check import *

here = os.path.dirname(os.path.abspath(__file__))
dt = 0.25
ts = times(0, 30, dt)
inp = lambda t: 10 + step(t, dt, 10, 5) + ramp(t, 1, 12, 20)
i0 = inp(0)
d1, d1i = [i0 * 4], [3 * 4]
d3, d3i = [i0 * 2] * 3, [8 * 2] * 3
s1, s1i, s3, s3i = i0, 0.0, [i0] * 3, [20.0] * 3
dn, sn = [8 * 1.0] * 5, [20.0] * 4
history = []
out = {k: [] for k in ['input', 'd1', 'd1i', 'd3', 'd3i', 's1', 's1i', 's3', 's3i', 'fixed', 'first',
                       'dn', 'sn']}
for t in ts:
    x = inp(t)
    history.append(x)
    n = len(history) - 1 - 12
    vals = {'input': x, 'd1': d1[0] / 4, 'd1i': d1i[0] / 4, 'd3': d3[2] / 2, 'd3i': d3i[2] / 2,
            's1': s1, 's1i': s1i, 's3': s3[2], 's3i': s3i[2],
            'fixed': history[n] if n >= 0 else 7, 'first': i0 * 2, 'dn': dn[4] / 1, 'sn': sn[3]}
    for k, v in vals.items():
        out[k].append(v)
    d1 = [d1[0] + dt * (x - d1[0] / 4)]
    d1i = [d1i[0] + dt * (x - d1i[0] / 4)]
    def chain(levels, feed):
        rates = [l / 2 for l in levels]
        return [levels[0] + dt * (feed - rates[0]), levels[1] + dt * (rates[0] - rates[1]),
                levels[2] + dt * (rates[1] - rates[2])]
    d3, d3i = chain(d3, x), chain(d3i, x)
    s1 += dt * (x - s1) / 3
    s1i += dt * (x - s1i) / 3
    def smooth3(levels, feed):
        return [levels[0] + dt * (feed - levels[0]) / 2, levels[1] + dt * (levels[0] - levels[1]) / 2,
                levels[2] + dt * (levels[1] - levels[2]) / 2]
    s3, s3i = smooth3(s3, x), smooth3(s3i, x)
    outs = [l / 1 for l in dn]
    dn = [l + dt * (f - o) for l, f, o in zip(dn, [x] + outs[:-1], outs)]
    sn = [l + dt * (f - l) / 1.5 for l, f in zip(sn, [x] + sn[:-1])]
compare(here, out)
