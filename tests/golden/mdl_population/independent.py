"""Population = INTEG(births - deaths, 1000), births = Population * 0.03, deaths =
Population / 70, Euler from 0 to 100 by 0.25."""
import os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
from mdl_check import *

here = os.path.dirname(os.path.abspath(__file__))
ts = times(0, 100, 0.25)
P, out = 1000.0, {'Population': [], 'births': [], 'deaths': [], 'birth rate': [], 'average lifetime': []}
for t in ts:
    births, deaths = P * 0.03, P / 70
    for k, v in [('Population', P), ('births', births), ('deaths', deaths), ('birth rate', 0.03),
                 ('average lifetime', 70)]:
        out[k].append(v)
    P += 0.25 * (births - deaths)
compare(here, out)
