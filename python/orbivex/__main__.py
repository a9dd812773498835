"""python3 -m orbivex [VIEWER OPTIONS] FILE: the viewer on a configuration or
a plain data table, waiting for it to end."""

import subprocess
import sys

from ._viewer import viewer_program


def main(arguments):
    if arguments in (["-h"], ["--help"]):
        print(__doc__.strip())
        print("The viewer is found through the ORBIVEX environment variable, or on the PATH.")
        return 0
    try:
        program = viewer_program()
    except FileNotFoundError as error:
        print(f"orbivex: {error}", file=sys.stderr)
        return 1
    try:
        return subprocess.call([program, *arguments])
    except KeyboardInterrupt:
        return 130


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
