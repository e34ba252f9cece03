"""Lookups applied by name and given WITH LOOKUP, with x values on an even grid or on none:
straight lines between the points, the end values beyond them. Customers = INTEG(new customers, 100), Euler by 0.25."""
import math, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
from mdl_check import *

here = os.path.dirname(os.path.abspath(__file__))
dt = 0.25
sx, sy = [0, 0.25, 0.5, 0.75, 1, 1.2], [1, 0.95, 0.8, 0.45, 0, 0]
wx, wy = [0, 3, 6, 9, 12], [1, 1.2, 1.5, 0.8, 1]
C = 100.0
dx, dy = [0, 0.3, 1.41421, 2.2, 3], [-0.5, 0.2, 1.7, 1.1, 1.1]
ix, iy = [0, 0.7, 1.9, 3.33], [0, 2.3, 2.9, 4]
names = ['Customers', 'new customers', 'market saturation', 'effect of saturation',
         'seasonal factor', 'beyond', 'irregular', 'irregular with', 'irregular lookup input']
out = {k: [] for k in names}
for t in times(0, 40, dt):
    sat = C / 10000
    eff = lookup(sx, sy, sat)
    m = t - 12 * math.floor(t / 12)
    season = lookup(wx, wy, m)
    new = C * 0.1 * eff * season
    v = {'Customers': C, 'new customers': new, 'market saturation': sat, 'effect of saturation': eff,
         'seasonal factor': season, 'beyond': lookup(sx, sy, t / 10 - 1) + lookup(sx, sy, -5),
         'irregular': lookup(dx, dy, t / 10) + lookup(dx, dy, sat),
         'irregular with': lookup(ix, iy, t / 8), 'irregular lookup input': t / 10}
    for k in names:
        out[k].append(v[k])
    C += dt * new
compare(here, out)
