"""Sketches, colors, graphics and exceptions as Python objects; threads; a fuzz loop
over the archive loader."""
import concurrent.futures
import random

import numpy as np
import pytest

import dispc

PEN = dispc.zcGraphicProps("blue", width=3)


def recorded(*circles):
    t = dispc.zcUITablet()
    for x, y, r in circles:
        t.draw(dispc.zcCircle((x, y), r), PEN, dispc.eImage)
    return t.sketch


def test_sketch_bytes_slices_joins_and_files(tmp_path):
    a, b = recorded((5, 5, 2)), recorded((9, 9, 3))
    rows = (a + b).walk()
    assert [r[:4] for r in rows] == [(0, "Circle", dispc.eImage, dispc.zcColor.blue),
                                     (len(a), "Circle", dispc.eImage, dispc.zcColor.blue)]
    assert "radius 3" in rows[1][4]
    joined = a + b
    assert len(joined) == len(a) + len(b) and bytes(joined) == bytes(a) + bytes(b)
    assert bytes(joined[len(a):]) == bytes(b) and joined[:len(a)] == a and len(joined[7:3]) == 0
    a += b
    assert a == joined and dispc.zcUISketch(bytes(joined)) == joined
    joined.save(str(tmp_path / "s.zar"))
    # Loading drops the second, redundant properties block: the same operations.
    assert [r[1:] for r in dispc.zcUISketch.load(str(tmp_path / "s.zar")).walk()] == [r[1:] for r in joined.walk()]
    with pytest.raises(ValueError):
        joined[::2]


def test_colors_and_props_follow_the_library():
    c = dispc.zcColor
    assert c.red == c(249) and c.red == c(255, 0, 0) and c(249) != c(255, 0, 0)
    assert c("dk_grey") == c.dk_grey == c.dk_gray and getattr(c, "pass") == c.pass_
    assert (c.red.index, hex(c.red.rgb), c(1, 2, 3).rgb_tuple) == (249, "0xff0000", (1, 2, 3))
    with pytest.raises(dispc.zcUIError.NotRGBColor):
        c(7).rgb
    p = dispc.zcGraphicProps("red", width=2)
    q = eval(repr(p), vars(dispc))
    assert q == p and len(p.record()) == 21
    q.pen_width = 4
    assert q != p and q.pen_width == 4


def test_graphics_lists_and_groups_round_trip(tmp_path):
    circle = dispc.zcGraphic.make_shape_graphic(dispc.zcCircle((20, 20), 5), PEN)
    group = dispc.zcGraphicGroup([circle, dispc.zcGraphicCross(dispc.zcCross((3, 4)), PEN)])
    label = dispc.zcGraphicText("hi", (8, 9), "white")
    lst = dispc.zcGraphicList([circle, group, label, circle.map(dispc.zcXform.translation((5, 0)))])
    assert len(lst) == 4 and lst[0].props == circle.props and len(group) == 2 and label.text == "hi"
    seen = []
    for g in lst:  # appending while iterating: the loop sees the items it began with
        seen.append(repr(g))
        lst.append(g)
    assert seen == [repr(g) for g in lst][:4] and len(lst) == 8
    lst = dispc.zcGraphicList(list(lst)[:4])
    lst.save(str(tmp_path / "l.zar"))
    back = dispc.zcGraphicList.load(str(tmp_path / "l.zar"))
    assert bytes(back.sketch()) == bytes(lst.sketch())
    circle.save(str(tmp_path / "g.zar"))
    assert bytes(dispc.zcGraphicList([dispc.zcGraphic.load(str(tmp_path / "g.zar"))]).sketch()) == \
        bytes(dispc.zcGraphicList([circle]).sketch())


def every_exception_class():
    for holder in [dispc] + [getattr(dispc, n) for n in dir(dispc) if hasattr(getattr(dispc, n), "Errors")]:
        for name in dir(holder):
            cls = getattr(holder, name)
            if isinstance(cls, type) and issubclass(cls, dispc.Error) and name != "Errors" and cls is not dispc.Error:
                yield cls


def test_every_exception_class_is_reachable_with_its_number():
    classes = set(every_exception_class())
    numbers = {cls.error_number for cls in classes}
    assert len(classes) >= 50 and len(numbers) == len(classes) and 0 not in numbers
    assert dispc.zcUIError.InvalidUISketch.error_number == 0x10002B17
    assert dispc.zcSMDGDPoly.crossingSegments.error_number == 0x11000361
    assert issubclass(dispc.zcUIError.BadLayer, dispc.zcUIError.Errors)


RAISED = [
    (lambda: dispc.zcUISketch(b"\x04\x01\x00").walk(), dispc.zcUIError.InvalidUISketch),
    (lambda: dispc.zcUITablet(dispc.zcScreen(9, 9)).replay(dispc.zcUISketch(b"\xff" * 12)),
     dispc.zcUIError.InvalidUISketch),
    (lambda: dispc.zcUISketch.load("/nonexistent/x.zar"), dispc.zcArchive.IOError),
    (lambda: setattr(dispc.zcUITablet(), "scale_exact", (0, 1)), dispc.zcUIError.BadParams),
    (lambda: dispc.zcXform(0, 0, 0, 0).inverse(), dispc.zcMathError.Singular),
    (lambda: dispc.zcScreen(4, 4).pel(9, 0), dispc.zcPel.BadCoord),
    (lambda: dispc.zcSMDGDPoly([dispc.zcSMDGDPolyVertex(p) for p in [(0, 0), (9, 9), (9, 0), (0, 9)]]),
     dispc.zcSMDGDPoly.crossingSegments),
    (lambda: dispc.zcScreen(4, 4).layer_view(dispc.eBothLayers), dispc.zcUIError.BadLayer),
    (lambda: dispc.zcScreen(4, 4).layer_view(channels="rgba"), ValueError),
]


@pytest.mark.parametrize("call, error", RAISED)
def test_library_failures_arrive_as_their_classes(call, error):
    with pytest.raises(error) as caught:
        call()
    if issubclass(error, dispc.Error):
        assert caught.value.error_number == error.error_number and hex(error.error_number)[2:] in str(caught.value).lower()


def test_archive_loader_survives_random_bytes(tmp_path):
    good = tmp_path / "good.zar"
    recorded((5, 5, 2), (7, 7, 3)).save(str(good))
    seed = bytearray(good.read_bytes())
    rng, path, failures = random.Random(42), tmp_path / "fuzz.zar", 0
    for _ in range(3000):
        data = bytearray(seed)
        for _ in range(rng.randint(1, 8)):
            data[rng.randrange(len(data))] = rng.randrange(256)
        path.write_bytes(bytes(data[:rng.randint(0, len(data))] if rng.random() < 0.2 else data))
        try:
            dispc.zcUITablet().replay(dispc.zcUISketch.load(str(path)))
        except dispc.Error:
            failures += 1
    assert 0 < failures < 3000


def render(sketch):
    screen = dispc.zcScreen(120, 90)
    dispc.zcUITablet(screen).replay(sketch)
    return screen.composite()


def test_threads_render_what_one_thread_renders():
    rng = np.random.default_rng(7)
    sketches = []
    for i in range(8):
        t = dispc.zcUITablet()
        t.draw_segments(rng.uniform(0, 120, (400, 4)), dispc.zcGraphicProps(dispc.zcColor(i * 30, 200, 90)))
        t.draw_circles(np.c_[rng.uniform(0, 120, (50, 2)), rng.uniform(1, 20, 50)], PEN)
        sketches.append(t.sketch)
    alone = [render(s) for s in sketches]
    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        together = list(pool.map(render, sketches))
    assert all(np.array_equal(a, b) for a, b in zip(alone, together))
