#!/usr/bin/env python3
"""Writes the example spectrum of the package: a simulated 400 MHz proton
spectrum of ethanol (CH3 triplet at 1.18 ppm, OH singlet at 2.61 ppm, CH2
quartet at 3.65 ppm, J = 7.1 Hz, Lorentzian lines of 0.8 Hz width, a little
noise), as a Quintar ".dat" file: SI, SF (MHz), Inc (Hz per point), F1 and F2
(Hz), then one intensity per line.

usage: make_example.py OUT.dat"""
import math
import random
import sys

SF = 400.13          # MHz
SI = 16384
PPM_LEFT, PPM_RIGHT = 6.0, -0.5
J = 7.1              # Hz
WIDTH = 0.8          # full width at half height, Hz

# (shift in ppm, number of protons, multiplicity as binomial order)
GROUPS = [(1.18, 3, 2), (2.61, 1, 0), (3.65, 2, 3)]


def lines():
    for shift, protons, order in GROUPS:
        weights = [math.comb(order, k) for k in range(order + 1)]
        total = sum(weights)
        for k, w in enumerate(weights):
            hz = shift * SF + (k - order / 2) * J
            yield hz, protons * w / total


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    f1, f2 = PPM_LEFT * SF, PPM_RIGHT * SF
    inc = (f1 - f2) / SI
    rng = random.Random(20261211)
    half = WIDTH / 2
    peaks = list(lines())
    values = []
    for i in range(SI):
        hz = f1 - i * inc
        y = sum(a * half * half / ((hz - c) ** 2 + half * half) for c, a in peaks)
        values.append(1.0e6 * y + rng.gauss(0.0, 150.0))
    with open(sys.argv[1], 'w', newline='\n') as out:
        out.write('%d\n%.6f\n%.9g\n%.6f\n%.6f\n' % (SI, SF, inc, f1, f2))
        for v in values:
            out.write('%.3f\n' % v)


if __name__ == '__main__':
    main()
