"""Orbivex files from Python: write a simulation's positions for the Orbivex
viewer, read them back, open the viewer on them, and watch a run live.

    import numpy as np, orbivex
    t = np.linspace(0, 6.3, 631)
    positions = np.stack([np.cos(t), np.sin(t)], axis=1)[:, np.newaxis, :]  # (rows, bodies, 2)
    orbivex.save("circle.ovx", t, positions, names=["planet"])   # circle.ovx and circle.dat
    orbivex.show(t, positions)                                   # the viewer, not waiting for it
    simulation = orbivex.load("circle.ovx")                      # .t, .positions, .names, the fields
    elements = orbivex.series("circle.ovx", "r:1,a:1,e:1", gm=1)  # as the viewer's panel computes them
    orbivex.Animation("circle.ovx")                              # a notebook cell shows the player

save(), load(), show(), series(), Animation and LiveWriter are described by help() on each; the
viewer is found through the ORBIVEX environment variable, or on the PATH
(FileNotFoundError when it is not), and a viewer that fails raises
ViewerError with its message and exit status. `python3 -m orbivex FILE`
opens the viewer on a file. Needs Python 3.11 or newer and numpy.
"""

from ._animation import Animation
from ._config import MAX_BODIES, ConfigurationError
from ._live import LiveWriter
from ._series import Series, SeriesWarning, read_series, series
from ._simulation import Simulation, load, save
from ._table import TableError
from ._viewer import ViewerError, show, viewer_program

__all__ = [
    "Animation",
    "MAX_BODIES",
    "ConfigurationError",
    "LiveWriter",
    "Series",
    "SeriesWarning",
    "Simulation",
    "TableError",
    "ViewerError",
    "load",
    "read_series",
    "save",
    "series",
    "show",
    "viewer_program",
]
