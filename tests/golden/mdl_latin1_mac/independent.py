"""An older file (Latin-1, Mac line ends, no header): Bestand Größe = INTEG(Zufluß - Abfluß,
10), Zufluß = 2, Abfluß = Bestand Größe * 0.05, Euler by 1."""
import os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
from mdl_check import *

here = os.path.dirname(os.path.abspath(__file__))
s = 10.0
out = {k: [] for k in ['Bestand Größe', 'Zufluß', 'Abfluß']}
for t in times(0, 12, 1):
    a = s * 0.05
    for k, v in [('Bestand Größe', s), ('Zufluß', 2), ('Abfluß', a)]:
        out[k].append(v)
    s += 2 - a
compare(here, out)
