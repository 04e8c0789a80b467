"""Drawing tablets, sketches, graphics, screens and synthetic drawing.

Record an overlay with a zcUITablet, keep it as a zcUISketch (bytes, slices, archive
files), replay it onto a zcScreen made from a numpy image, read the layers back as
numpy views, and render SMD bodies synthetically into uint8 arrays. Every library
failure is a subclass of dispc.Error carrying error_number and message.
"""
from ._dispc import *  # noqa: F401,F403
from ._dispc import __doc__ as _native_doc  # noqa: F401
