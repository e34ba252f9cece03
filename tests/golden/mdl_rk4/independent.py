"""A damped spring with fourth-order Runge-Kutta steps of 0.25 (the .mdl settings give RK4
with fixed steps): Position' = Momentum / mass, Momentum' = -4 Position - 0.3 velocity."""
import os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
from mdl_check import *

here = os.path.dirname(os.path.abspath(__file__))
dt = 0.25
def rates(p, m):
    v = m / 1
    return v, -p * 4 - 0.3 * v
p, m = 1.0, 0.0
out = {k: [] for k in ['Position', 'Momentum', 'velocity', 'force']}
for t in times(0, 10, dt):
    v, f = rates(p, m)
    for k, x in [('Position', p), ('Momentum', m), ('velocity', v), ('force', f)]:
        out[k].append(x)
    k1 = rates(p, m)
    k2 = rates(p + dt / 2 * k1[0], m + dt / 2 * k1[1])
    k3 = rates(p + dt / 2 * k2[0], m + dt / 2 * k2[1])
    k4 = rates(p + dt * k3[0], m + dt * k3[1])
    p += dt / 6 * (k1[0] + 2 * k2[0] + 2 * k3[0] + k4[0])
    m += dt / 6 * (k1[1] + 2 * k2[1] + 2 * k3[1] + k4[1])
compare(here, out)
