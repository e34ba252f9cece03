"""Each built-in with Vensim's meaning: INTEGER truncates toward zero, LOG takes its base,
MODULO takes the sign of the divisor, XIDZ and ZIDZ take a divisor below 1e-6 for zero; signs
bind tighter than ^ (-2^2 is 4)."""
import math, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
from mdl_check import *

here = os.path.dirname(os.path.abspath(__file__))
out = {k: [] for k in ['a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'odd name', 'k',
                       'very long name that is continued on a second line', 'Under score Name',
                       'mixed case', 'signs']}
for t in times(0, 20, 1):
    out['a'].append(1 if 5 < t <= 12 else -1)
    out['b'].append(min(t, 10) + max(t, 3) + abs(-t))
    out['c'].append(math.exp(t / 10) + math.log(t + 1) + math.log(t + 1) / math.log(2) + math.sqrt(t))
    m = (t - 7) - 4 * math.floor((t - 7) / 4)
    out['d'].append(math.trunc(t / 3 - 2.5) + m + math.trunc(-1.5))
    e1 = 99 if abs(t - 5) < 1e-6 else 10 / (t - 5)
    e2 = 0 if abs(t - 8) < 1e-6 else 10 / (t - 8)
    out['e'].append(e1 + e2)
    out['f'].append(math.sin(t) + math.cos(t) + math.tan(t / 100) + math.atan(t) + math.asin(0.5)
                    + math.acos(0.5))
    out['g'].append((0 + 3) + 1 + 0 + 20)
    out['h'].append(1 if (not t > 3) or t == 10 else 0)
    odd = t ** 2 - 2 ** -1 + 2 ** 3
    out['odd name'].append(odd)
    out['k'].append(odd * 2)
    out['very long name that is continued on a second line'].append(4)
    out['Under score Name'].append(8)
    out['mixed case'].append(16)
    out['signs'].append((-t) ** 2 + (-2) ** 2 - 3 ** -1)
compare(here, out)
