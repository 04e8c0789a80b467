"""An inspection overlay on a camera frame: detections drawn with the batch calls,
recorded as a sketch, saved with the rendered PNG, and replayed onto another frame.

    python3 overlay.py [FRAME.png] [OUT_DIR]

Without a PNG it makes a camera-like frame (a lit gradient, noise and a few parts).
"""
import os
import sys

import numpy as np

import dispc


def camera_frame(seed, width=640, height=480):
    rng = np.random.default_rng(seed)
    y, x = np.mgrid[0:height, 0:width]
    gray = 60 + 80 * np.exp(-((x - width / 2) ** 2 + (y - height / 2) ** 2) / (2 * 220.0 ** 2))
    for cx, cy in rng.uniform((80, 80), (width - 80, height - 80), (4, 2)):
        gray[int(cy) - 20:int(cy) + 20, int(cx) - 35:int(cx) + 35] = 190
    gray += rng.normal(0, 6, gray.shape)
    return np.repeat(np.clip(gray, 0, 255).astype(np.uint8)[:, :, None], 3, axis=2)


def find_parts(frame):
    """Stand-in detector: the bright blocks' boxes and centres."""
    bright = frame[:, :, 0] > 175
    rows = np.flatnonzero(bright.any(axis=1))
    boxes = []
    for band in np.split(rows, np.flatnonzero(np.diff(rows) > 1) + 1):
        cols = np.flatnonzero(bright[band].any(axis=0))
        for run in np.split(cols, np.flatnonzero(np.diff(cols) > 1) + 1):
            if len(run) >= 10 and len(band) >= 10:
                boxes.append((run[0], band[0], run[-1] - run[0] + 1, band[-1] - band[0] + 1))
    return np.array(boxes, np.float64).reshape(-1, 4)


def draw_detections(tablet, boxes):
    green = dispc.zcGraphicProps(dispc.zcColor.green, width=2)
    tablet.draw_rects(boxes, green)
    centres = boxes[:, :2] + boxes[:, 2:] / 2
    tablet.draw_crosses(np.c_[centres, np.zeros(len(boxes)), np.full(len(boxes), 15)], dispc.zcGraphicProps("yellow"))
    labels = [f"part {i}: {w:.0f} x {h:.0f}" for i, (_, _, w, h) in enumerate(boxes)]
    tablet.draw_texts(labels, boxes[:, :2] - (0, 16), "white", "dk_grey")
    # An arrow from the first part to the second: a segment and its head.
    if len(boxes) > 1:
        tablet.draw_segments(np.c_[centres[:1], centres[1:2]], dispc.zcGraphicProps("red", width=2))
        tablet.arrow_head(tuple(centres[1]), tuple(centres[1] - centres[0]), 12, dispc.zcGraphicProps("red", width=2))


def main(frame_path=None, out="overlay-out"):
    os.makedirs(out, exist_ok=True)
    if frame_path:
        screen = dispc.zcScreen(640, 480)
        screen.load_background(frame_path)
        frame = screen.composite()
    else:
        frame = camera_frame(1)
        screen = dispc.zcScreen.from_image(frame)
    tablet = dispc.zcUITablet(screen, record=True)
    draw_detections(tablet, find_parts(frame))
    tablet.sketch.save(os.path.join(out, "overlay.zar"))
    screen.save(os.path.join(out, "overlay.png"))

    # Later, on the next frame: the same overlay from the archive.
    later = dispc.zcScreen.from_image(camera_frame(2))
    dispc.zcUITablet(later).replay(dispc.zcUISketch.load(os.path.join(out, "overlay.zar")))
    later.save(os.path.join(out, "replayed.png"))
    print(f"{len(tablet.sketch.walk())} operations; wrote overlay.zar, overlay.png and replayed.png in {out}")


if __name__ == "__main__":
    main(*sys.argv[1:3])
