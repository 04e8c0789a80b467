"""The package makes the library's calls: the same bytes and pixels as C++, and replay
through an archive file repaints them exactly."""
import numpy as np

import dispc


def test_scene_matches_cpp_bytes_and_pixels(scene, cpp_scene):
    screen, tablet = scene
    cpp_bytes, cpp_pels = cpp_scene
    assert bytes(tablet.sketch) == cpp_bytes
    assert np.array_equal(screen.composite(), cpp_pels)
    # Every kind of call shows up in the walk, one row per call.
    names = {row[1] for row in tablet.sketch.walk()}
    assert len(tablet.sketch.walk()) >= 50 and {"Circle", "UnicodeString", "BezierCurve", "GenPoly", "PelBuf8"} <= names


def replayed(sketch):
    screen = dispc.zcScreen(300, 270)
    dispc.zcUITablet(screen).replay(sketch)
    return screen.composite()


def test_archive_replay_repaints_the_scene(scene, tmp_path):
    # A replay paints a point set's points with the whole pen, so it is compared with
    # a replay of the sketch as recorded, not with the direct drawing.
    _, tablet = scene
    path = tmp_path / "scene.zar"
    tablet.sketch.save(str(path))
    assert np.array_equal(replayed(dispc.zcUISketch.load(str(path))), replayed(tablet.sketch))
