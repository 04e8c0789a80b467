import os
import subprocess

import numpy as np
import pytest

import dispc

PEN = dispc.zcGraphicProps(dispc.zcColor.red, width=2)
FILLED = dispc.zcGraphicProps(dispc.zcColor(0, 128, 255), fill=True)


def draw_scene(t):
    """One of every drawing call; scene_reference.cpp makes the same calls in C++."""
    c, L = dispc.zcColor, dispc.Layers
    t.draw((5, 5), PEN, L.eOverlay)
    t.draw((7, 5), c.yellow, L.eOverlay)
    t.draw(dispc.zc2Point((9, 5)), PEN, L.eImage)
    t.draw(dispc.zcPointSet([(20, 20), (30, 20), (25, 28)]), PEN, L.eOverlay)
    t.draw(dispc.zcLineSeg((10, 40), (60, 45)), PEN, L.eOverlay)
    t.draw(dispc.zcLineSeg((10, 45), (60, 50)), c.green, L.eImage)
    t.draw_line_seg((10, 50), (60, 55), c.blue, L.eOverlay)
    t.draw(dispc.zcLineSegSet([dispc.zcLineSeg((70, 40), (90, 60)), dispc.zcLineSeg((90, 40), (70, 60))]), PEN)
    t.draw(dispc.zcLine((1, 1), (100, 100)), PEN, L.eOverlay)
    t.draw_line((50, 10), 0.3, c.cyan, L.eOverlay)
    t.draw(dispc.zcPolygon([(70, 10), (90, 10), (80, 30)]), FILLED, L.eOverlay)
    t.draw_polygon([(100, 40), (120, 40), (110, 60)], dispc.zcPolygon.eWinding, c.magenta, L.eImage)
    t.draw(dispc.zcPolyline([(100, 10), (120, 30), (140, 10)]), PEN, L.eOverlay)
    t.draw(dispc.zcBezierCurve((10, 100), (30, 80), (50, 120), (70, 100)), PEN, L.eOverlay)
    t.draw(dispc.zcCircle((150, 60), 15), PEN, L.eOverlay)
    t.draw(dispc.zcCircle((190, 60), 10), c.orange, L.eImage, fill=True)
    t.draw_circle((220, 60), 8, c.white, L.eOverlay)
    t.draw(dispc.zcEllipse((150, 100), 20, 10, 0.5), FILLED, L.eOverlay)
    t.draw_ellipse((200, 100), (15, 8), 0.2, c.purple, L.eOverlay, fill=True)
    t.draw(dispc.zcEllipseArc(dispc.zcEllipse((250, 100), 20, 10), 0, 2), PEN, L.eOverlay)
    t.draw_ellipse_arc((250, 140), (20, 10), 0, 0.5, 3, c.green, L.eOverlay)
    e2 = dispc.zcEllipse2((12, 6), 0.3, (40, 150))
    t.draw(e2, PEN, L.eOverlay)
    t.draw(dispc.zcEllipseArc2(e2, 0.2, 2.5), PEN, L.eOverlay)
    section = dispc.zcEllipseAnnulusSection(dispc.zcEllipseAnnulus(dispc.zcEllipse((100, 160), 30, 20), 0.5), 0.3, 2.0)
    t.draw(section, PEN, L.eOverlay)
    t.draw(section, c.dk_red, L.eImage, arrow_head=True, arrow_head_forward=False)
    t.draw(dispc.zcAnnulus((160, 170), 8, 14), PEN, L.eOverlay)
    t.draw(dispc.zcGenAnnulus(dispc.zcGenRect((220, 170), (10, 6), 0.2), dispc.zcGenRect((220, 170), (16, 10), 0.2)), PEN)
    t.draw(dispc.zcGenRect((260, 60), (12, 6), 0.4, (0.3, 0.3)), PEN, L.eOverlay)
    t.draw_gen_rect((270, 170), (10, 5), 0.1, (0, 0), c.lt_grey, L.eOverlay, fill=True)
    t.draw(dispc.zcRect(10, 200, 40, 20), PEN, L.eOverlay)
    t.draw_rect((60, 200), (30, 15), c.dk_green, L.eImage, fill=True)
    t.draw(dispc.zcAffineRectangle((100, 200), (130, 205), (95, 225)), PEN, L.eOverlay)
    t.draw(dispc.zcCross((150, 210), 0.4, 9), PEN, L.eOverlay)
    t.draw_cross((170, 210), 0, c.red, L.eOverlay)
    t.draw(dispc.zcCoordAxes((190, 230), (220, 230), (190, 200)), PEN, L.eOverlay)
    t.arrow_head((250, 210), (1, 0), 8, PEN, L.eOverlay)
    t.draw_text("label", (230, 20), c.white, c.dk_grey, dispc.zcUIFormat(), L.eOverlay)
    t.draw_start((10, 250), L.eOverlay)
    t.draw_to((60, 260), PEN, L.eOverlay)
    t.draw_to_rel_pels(10, -5, c.yellow, L.eOverlay)
    t.move_to_rel_pels(5, 5, L.eOverlay)
    t.draw_point_icon((280, 240), PEN, L.eOverlay)
    t.draw_pixel((2, 2), c.white, L.eImage)
    t.outline(dispc.zcUIRect(200, 240, 30, 15), c.blue, 2, L.eOverlay)
    t.set(dispc.zcUIRect(240, 240, 10, 10), c.grey, L.eImage)
    t.draw(dispc.zcGenPoly(dispc.zcCircle((60, 170), 12)), PEN, L.eOverlay)
    image = (30 * np.arange(8)[None, :] + 10 * np.arange(6)[:, None]).astype(np.uint8)
    t.draw_image(image, (280, 5), gray=True, layer=L.eImage)


@pytest.fixture(scope="session")
def cpp_scene(tmp_path_factory):
    """(sketch bytes, H x W x 3 pixels) of the same scene made in C++."""
    d = tmp_path_factory.mktemp("scene")
    subprocess.run([os.environ["DISPC_SCENE_REFERENCE"], d / "sketch", d / "pels"], check=True)
    return (d / "sketch").read_bytes(), np.frombuffer((d / "pels").read_bytes(), np.uint8).reshape(270, 300, 3)


@pytest.fixture
def scene():
    """A screen and a recording tablet over it with the scene drawn."""
    screen = dispc.zcScreen(300, 270)
    tablet = dispc.zcUITablet(screen, record=True)
    draw_scene(tablet)
    return screen, tablet
