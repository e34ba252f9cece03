"""Two views of one model: Stock A drains into Stock B through transfer = Stock A / 5; Cash's
rate, no sum of flows, is one flow: 100 * (1 - 0.3) - 50. Euler by 0.5."""
import os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
from mdl_check import *

here = os.path.dirname(os.path.abspath(__file__))
a, b, cash = 100.0, 0.0, 1000.0
out = {k: [] for k in ['Stock A', 'Stock B', 'transfer', 'Cash', 'Cash net flow']}
for t in times(0, 30, 0.5):
    tr, net = a / 5, 100 * (1 - 0.3) - 50
    for k, v in [('Stock A', a), ('Stock B', b), ('transfer', tr), ('Cash', cash), ('Cash net flow', net)]:
        out[k].append(v)
    a, b, cash = a - 0.5 * tr, b + 0.5 * tr, cash + 0.5 * net
compare(here, out)
