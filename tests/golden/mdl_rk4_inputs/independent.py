"""STEP, PULSE and PULSE TRAIN under fourth-order Runge-Kutta (fixed steps of 0.25): Vensim
holds them at each step's value, so every stage of a step sees the inflow of the step's start,
while the outflow Level / 1.5 follows the stages. The last pulse starts half a step off the
steps: both ends of its window fall on steps, and Vensim's strict comparisons leave both out."""
import os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
from mdl_check import *

here = os.path.dirname(os.path.abspath(__file__))
dt = 0.25
def inflow(t):
    return (step(t, dt, 4, 2.2) + 10 * pulse(t, dt, 3, 1) + 6 * pulse(t, dt, 6.5, 0)
            + 2 * pulse_train(t, dt, 1, 0.5, 2, 10) + 3 * pulse(t, dt, 8.125, 1))
level = 10.0
out = {k: [] for k in ['Level', 'inflow', 'outflow']}
for t in times(0, 12, dt):
    i = inflow(t)
    for k, v in [('Level', level), ('inflow', i), ('outflow', level / 1.5)]:
        out[k].append(v)
    rate = lambda l: i - l / 1.5
    k1 = rate(level)
    k2 = rate(level + dt / 2 * k1)
    k3 = rate(level + dt / 2 * k2)
    k4 = rate(level + dt * k3)
    level += dt / 6 * (k1 + 2 * k2 + 2 * k3 + k4)
compare(here, out)
