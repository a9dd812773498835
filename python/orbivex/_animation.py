"""An interactive page of a simulation, shown inline in a notebook."""

import html
import os
import tempfile

from ._simulation import save
from ._viewer import run_viewer, viewer_program


class Animation:
    """The page the viewer's --html writes, which plays a simulation in any
    browser on its own: Animation(path) for a file the viewer opens (a
    configuration or a table), Animation(t, positions, names=..., ...) with
    save()'s arguments (see help(orbivex.save)) for arrays. size is the
    view's (width, height) in pixels and viewer_args more of the viewer's
    options, such as ("--frame", "rotate:1"). The page is made at once; a
    notebook cell ending in an Animation shows the player, and .html holds
    the page (write it to a file with .save(path)). orbivex.ViewerError,
    with the viewer's message and exit status, when the viewer fails;
    FileNotFoundError when it cannot be found.
    """

    def __init__(self, path_or_t, positions=None, names=None, *, size=(800, 600), viewer_args=(), **fields):
        viewer_program()  # fails before anything is written
        with tempfile.TemporaryDirectory(prefix="orbivex-") as folder:
            if positions is None:
                source = os.fspath(path_or_t)
            else:
                source = save(os.path.join(folder, "simulation.ovx"), path_or_t, positions, names, **fields)
            page = os.path.join(folder, "page.html")
            run_viewer(["--html", page, "--size", f"{int(size[0])}x{int(size[1])}", *viewer_args, source],
                       dict(os.environ, QT_QPA_PLATFORM=os.environ.get("QT_QPA_PLATFORM", "offscreen")))
            with open(page, encoding="utf-8") as text:
                self.html = text.read()
        self.size = (int(size[0]), int(size[1]))

    def save(self, path):
        """Writes the page to `path`."""
        with open(path, "w", encoding="utf-8") as out:
            out.write(self.html)

    def _repr_html_(self):
        # In a frame of its own, so that several players on one notebook
        # page keep apart; the page is the frame's whole document.
        width, height = self.size
        return (f'<iframe srcdoc="{html.escape(self.html, quote=True)}" width="{width + 4}" '
                f'height="{height + 48}" style="border: none" sandbox="allow-scripts"></iframe>')
