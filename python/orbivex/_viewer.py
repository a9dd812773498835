"""Starting the viewer."""

import os
import shutil
import subprocess
import tempfile

from ._simulation import save


class ViewerError(ValueError, RuntimeError):
    """The viewer ran and failed: `message`, what it said (its standard
    error, else its output), and `status`, its exit status (negative for
    the signal that ended it). A ValueError, as series() raised for it, and
    a RuntimeError, as Animation did."""

    def __init__(self, message, status):
        super().__init__(message or f"orbivex exited with status {status}")
        self.message, self.status = message, status


def viewer_program():
    """The viewer's path: the ORBIVEX environment variable when set, else
    `orbivex` on the PATH; FileNotFoundError when there is none."""
    named = os.environ.get("ORBIVEX")
    if named:
        if not (os.path.isfile(named) and os.access(named, os.X_OK)):
            raise FileNotFoundError(f"ORBIVEX is {named!r}, which is not a program that can be run")
        return named
    found = shutil.which("orbivex")
    if not found:
        raise FileNotFoundError(
            "the orbivex viewer is not on the PATH: install it, or set ORBIVEX to the program's path"
        )
    return found


def run_viewer(arguments, environment=None):
    """Runs the viewer with `arguments` and waits for it: its
    subprocess.CompletedProcess, output and standard error as text;
    ViewerError when it fails."""
    done = subprocess.run([viewer_program(), *arguments], capture_output=True, text=True, env=environment)
    if done.returncode != 0:
        raise ViewerError((done.stderr or done.stdout).strip(), done.returncode)
    return done


def start_viewer(arguments):
    """Starts the viewer with `arguments` without waiting for it; it runs on
    when the caller ends, and Ctrl+C in the caller's terminal leaves it."""
    return subprocess.Popen([viewer_program(), *arguments], stdin=subprocess.DEVNULL, start_new_session=True)


def show(t, positions, names=None, time_unit=None, length_unit=None, title=None, plane=None, *, viewer_args=(),
         **fields):
    """Open the viewer on a simulation without writing it anywhere in
    particular: save()'s arguments without the path (see help(orbivex.save)),
    and viewer_args, options for the viewer (such as ("--equal-aspect",)).

    The files go to a new folder in the system's temporary folder, which
    stays after the viewer ends (its path is in the returned process's
    args). The viewer is found through the ORBIVEX environment variable, or
    else on the PATH. Returns the viewer's subprocess.Popen at once.
    """
    viewer_program()  # fails before anything is written
    folder = tempfile.mkdtemp(prefix="orbivex-")
    path = save(os.path.join(folder, "simulation.ovx"), t, positions, names, time_unit, length_unit, title, plane,
                **fields)
    return start_viewer([*viewer_args, path])
