"""Renders every sketch archive (*.zar) of a folder to a PNG beside it, in several
processes: the route for jobs that outgrow one process.

    python3 batch_render.py FOLDER [WIDTH HEIGHT]

render_one is a plain function of one path, so it runs unchanged under other
schedulers too, e.g. a Dask bag: db.from_sequence(paths).map(render_one).compute().
"""
import concurrent.futures
import pathlib
import sys

import dispc


def render_one(path, width=640, height=480):
    """One archive to PNG; returns (path, operations, error text or None)."""
    try:
        sketch = dispc.zcUISketch.load(str(path))
        screen = dispc.zcScreen(width, height)
        dispc.zcUITablet(screen).replay(sketch)
        screen.save(str(pathlib.Path(path).with_suffix(".png")))
        return str(path), len(sketch.walk()), None
    except dispc.Error as e:
        return str(path), 0, str(e)


def main(folder, width=640, height=480):
    paths = sorted(pathlib.Path(folder).glob("*.zar"))
    with concurrent.futures.ProcessPoolExecutor() as pool:
        results = list(pool.map(render_one, paths, [int(width)] * len(paths), [int(height)] * len(paths)))
    for path, count, error in results:
        print(f"{path}: {error}" if error else f"{path}: {count} operations")
    return 1 if any(error for _, _, error in results) else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
