"""Compares the processor time of the "kestrune" and "ffmpeg" commands of a hyperfine JSON export.

Usage: cpu_ratio.py <times.json> <limit> <what was measured>; exits 1 when our time passes
<limit> times ffmpeg's.
"""
import json
import sys

results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
cpu = lambda r: r["user"] + r["system"]
ours, theirs = cpu(results["kestrune"]), cpu(results["ffmpeg"])
ratio = ours / theirs
limit = float(sys.argv[2])
print(f"{sys.argv[3]} {ours:.3f} s of processor time, ffmpeg {theirs:.3f} s, ratio {ratio:.3f} "
      f"(limit {limit}; wall-clock medians {results['kestrune']['median']:.3f} s and {results['ffmpeg']['median']:.3f} s)")
sys.exit(0 if ratio <= limit else 1)
