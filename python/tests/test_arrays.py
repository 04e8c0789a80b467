"""numpy in and out: zero-copy views, strided targets, and refusals that name the
argument and leave everything as it was."""
import gc

import numpy as np
import pytest

import dispc

PEN = dispc.zcGraphicProps("red")


def test_layer_view_shares_the_screens_pels_and_keeps_it_alive():
    screen = dispc.zcScreen(40, 30, background=(10, 20, 30))
    rgb, bgr = screen.layer_view(dispc.eImage, "rgb"), screen.layer_view(dispc.eImage, "bgr")
    assert rgb.shape == (30, 40, 3) and tuple(rgb[5, 5]) == (10, 20, 30) and tuple(bgr[5, 5]) == (30, 20, 10)
    rgb[3, 4] = (200, 100, 50)
    assert screen.pel(4, 3) == (200, 100, 50) and tuple(bgr[3, 4]) == (50, 100, 200)
    # Drawing shows in a view taken before it; the view outlives every other reference.
    tablet = dispc.zcUITablet(screen)
    tablet.draw(dispc.zcRect(20, 10, 5, 5), "green", dispc.eImage, fill=True)
    assert tuple(rgb[12, 22]) == (0, 255, 0)
    del screen, tablet
    gc.collect()
    assert tuple(rgb[3, 4]) == (200, 100, 50)


@pytest.mark.parametrize("image, expected", [
    (np.full((4, 5), 7, np.uint8), (7, 7, 7)),
    (np.dstack([np.full((4, 5), v, np.uint8) for v in (1, 2, 3)]), (1, 2, 3)),
    (np.dstack([np.full((4, 5), v, np.uint8) for v in (255, 0, 100, 51)]), (51, 0, 20)),
    (np.full((4, 10), 9, np.uint8)[:, ::2], (9, 9, 9)),
    (np.full((4, 5), 6, np.dtype(np.uint8).newbyteorder(">")), (6, 6, 6)),  # an equal dtype, not the same object
])
def test_screen_from_image(image, expected):
    screen = dispc.zcScreen.from_image(image)
    assert (screen.width, screen.height) == (5, 4)
    assert np.all(screen.composite() == np.array(expected, np.uint8))


def test_synthetic_into_a_strided_view_changes_only_the_view():
    big = np.full((100, 120), 3, np.uint8)
    body = dispc.zcSMDGDPoly.rectangle(30, 20, (25, 20))
    view = big[10:60, 20:70]
    dispc.draw_synthetic(body, view, 200)
    alone = np.full((50, 50), 3, np.uint8)
    dispc.draw_synthetic(body, alone, 200)
    assert np.array_equal(view, alone) and alone[20, 25] == 200
    outside = big.copy()
    outside[10:60, 20:70] = 3
    assert np.all(outside == 3)
    # The exact mode and the general renderer (projective map) write the same region.
    exact = np.zeros((50, 50), np.uint8)
    dispc.draw_synthetic(body, exact, 200, coverage=dispc.eExactCoverage)
    general = np.zeros((50, 50), np.uint8)
    dispc.draw_synthetic(body, general, 200, dispc.zc2XformProjective([1, 0, 0, 0, 1, 0, 0, 0, 1]))
    assert abs(int(exact.sum()) - 200 * 600) <= 200 and abs(int(general.sum()) - int(exact.sum())) <= 200


BAD_CALLS = [
    # (call, exception class, words the message must hold)
    (lambda t, s: t.draw_segments(np.zeros((3, 3)), PEN), ValueError, "rows: expected shape (N, 4)"),
    (lambda t, s: t.draw_segments([[0, 0, 1, 1], [0, np.nan, 1, 1]], PEN), ValueError, "rows row 1"),
    (lambda t, s: t.draw_circles([[0, 0, 1], [5, 5, -2]], PEN), ValueError, "row 1: a negative radius"),
    (lambda t, s: t.draw_crosses([[0, 0, 0, 7], [5, 5, 0, 1e20]], PEN), ValueError, "row 1: a size beyond"),
    (lambda t, s: dispc.zcSMDGDPolyVertex((0, 0), float("nan")), ValueError, "radius: values must be finite"),
    (lambda t, s: t.arrow_head((0, 0), (1, 0), float("nan"), PEN), ValueError, "size: values must be finite"),
    (lambda t, s: t.move_to_rel_pels((1, 0), float("inf")), ValueError, "length: values must be finite"),
    (lambda t, s: t.draw_rects("boxes", PEN), TypeError, "rows"),
    (lambda t, s: t.draw_polylines(np.zeros((2, 3)), PEN), ValueError, "rows"),
    (lambda t, s: t.draw_polylines([[0, 0, 1, 1], [2, 2]], PEN), ValueError, "rows: expected shape (N, 2k)"),
    (lambda t, s: t.draw_texts(["a", "b"], [[0, 0]], "red"), ValueError, "positions"),
    (lambda t, s: t.draw(dispc.zcCircle((float("nan"), 0), 3), PEN), ValueError, "finite"),
    (lambda t, s: dispc.draw_synthetic(s, np.zeros((9, 9), np.float32)), TypeError, "image: expected dtype uint8"),
    (lambda t, s: dispc.draw_synthetic(s, np.zeros((9, 9, 2), np.uint8)), ValueError, "image: expected shape (H, W)"),
    (lambda t, s: dispc.draw_synthetic(s, np.zeros((9, 9), np.uint8)[:, ::2]), ValueError, "image: its rows"),
    (lambda t, s: dispc.draw_synthetic(s, np.frombuffer(bytes(81), np.uint8).reshape(9, 9)), ValueError, "read-only"),
    (lambda t, s: dispc.zcScreen(-5, 10), ValueError, "width: must be from 1"),
    (lambda t, s: dispc.zcScreen.from_image(np.zeros((0, 4), np.uint8)), ValueError, "image height"),
    (lambda t, s: dispc.zcGraphicProps("red", width=-1), dispc.zcGraphicProps.BadParams, ""),
]


@pytest.mark.parametrize("call, error, words", BAD_CALLS)
def test_bad_input_raises_and_draws_nothing(call, error, words):
    tablet = dispc.zcUITablet()
    tablet.draw_segments([[1, 2, 3, 4]], PEN)
    before = bytes(tablet.sketch)
    with pytest.raises(error) as caught:
        call(tablet, dispc.zcSMDGDPoly.rectangle(4, 4, (4, 4)))
    assert words in str(caught.value)
    assert bytes(tablet.sketch) == before


def test_batch_calls_record_what_the_single_calls_record():
    rows = np.array([[0, 0, 10, 5], [3, 4, 8, 1]], np.float64)
    one, many = dispc.zcUITablet(), dispc.zcUITablet()
    for kind, make in [("segments", lambda r: dispc.zcLineSeg(r[:2], r[2:])),
                       ("rects", lambda r: dispc.zcRect(*r)),
                       ("circles", lambda r: dispc.zcCircle(r[:2], r[2])),
                       ("crosses", lambda r: dispc.zcCross(r[:2], r[2], int(r[3])))]:
        data = {"circles": rows[:, :3], "crosses": rows * (1, 1, -0.1, 1)}.get(kind, rows)  # a negative angle
        getattr(many, "draw_" + kind)(data.T.copy().T, PEN)  # a Fortran-ordered array is converted
        for r in data:
            one.draw(make(r), PEN)
    many.draw_polylines([[0, 0, 5, 5, 9, 0]], PEN, closed=True)
    one.draw(dispc.zcPolyline([(0, 0), (5, 5), (9, 0)], closed=True), PEN)
    assert bytes(many.sketch) == bytes(one.sketch)
