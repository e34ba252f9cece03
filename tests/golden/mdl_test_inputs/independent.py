"""STEP, PULSE, PULSE TRAIN and RAMP as Vensim defines them: times compared half a step
ahead (TIME + TIME STEP / 2), a width of 0 one step, a train's pulses at least one step long.
Accumulated = INTEG(step input + pulse input + ramp input + train, 0), Euler by 0.5."""
import os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
from mdl_check import *

here = os.path.dirname(os.path.abspath(__file__))
dt = 0.5
names = ['step input', 'pulse input', 'pulse zero width', 'pulse off grid', 'ramp input',
         'ramp backwards', 'train',
         'short train', 'Accumulated']
out = {k: [] for k in names}
acc = 0.0
for t in times(0, 25, dt):
    v = {'step input': step(t, dt, 5, 10.2), 'pulse input': pulse(t, dt, 5, 3),
         'pulse zero width': pulse(t, dt, 7, 0), 'pulse off grid': pulse(t, dt, 2.3, 1.1),
         'ramp input': ramp(t, 2, 5, 15), 'ramp backwards': ramp(t, 1, 10, 4), 'train': pulse_train(t, dt, 2, 1, 5, 30),
         'short train': pulse_train(t, dt, 1, 0, 3, 100), 'Accumulated': acc}
    for k in names:
        out[k].append(v[k])
    acc += dt * (v['step input'] + v['pulse input'] + v['ramp input'] + v['train'])
compare(here, out)
