"""The Python package against C++ and OpenCV, run by `make bench`:

    python_bench.py BENCH_BUILD_DIR

1. 100,000 segments onto a 1024 x 1024 three-channel frame: the batch call
   (draw_segments), a Python loop of cv2.line (skipped without OpenCV) and the C++
   tablet making the same calls (python_peer_bench in the build directory).
2. A layer read as numpy at 1024^2 and 4096^2: a view, so the same time for both.
"""
import json
import os
import subprocess
import sys
import timeit

import numpy as np

import dispc

SIDE, COUNT = 1024, 100000


def segments():
    i = np.arange(COUNT)
    return np.c_[i * 37 % SIDE, i * 91 % SIDE, (i * 53 + 17) % SIDE, (i * 29 + 400) % SIDE].astype(np.float64)


def best(fn, repeat=3):
    return min(timeit.repeat(fn, number=1, repeat=repeat))


def main(build):
    rows = segments()
    screen = dispc.zcScreen(SIDE, SIDE)
    tablet = dispc.zcUITablet(screen)
    pen = dispc.zcGraphicProps(dispc.zcColor.red)
    batch = best(lambda: tablet.draw_segments(rows, pen, dispc.eImage))
    print(f"batch draw_segments, {COUNT} segments: {batch * 1e3:.1f} ms")

    out = subprocess.run([os.path.join(build, "python_peer_bench"), "--benchmark_format=json"],
                         check=True, capture_output=True, text=True).stdout
    cpp = min(b["real_time"] for b in json.loads(out)["benchmarks"]) / 1e3
    print(f"C++ tablet, the same calls: {cpp * 1e3:.1f} ms  (batch / C++ = {batch / cpp:.2f}, goal <= 1.3)")

    try:
        import cv2
    except ImportError:
        print("OpenCV loop: skipped (no cv2)")
    else:
        frame = np.zeros((SIDE, SIDE, 3), np.uint8)
        ends = rows.astype(np.int32).tolist()

        def loop():
            for x1, y1, x2, y2 in ends:
                cv2.line(frame, (x1, y1), (x2, y2), (0, 0, 255), 1)
        opencv = best(loop)
        print(f"Python loop of cv2.line: {opencv * 1e3:.1f} ms  (batch / OpenCV = {batch / opencv:.2f}, goal < 1)")

    for side in (1024, 4096):
        big = dispc.zcScreen(side, side)
        t = best(lambda: big.layer_view(dispc.eImage), repeat=200)
        print(f"layer_view {side}^2: {t * 1e6:.1f} us")


if __name__ == "__main__":
    main(sys.argv[1])
