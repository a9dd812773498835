"""pip installs the module into a fresh virtual environment with the network
out of reach, by the README's plain command; the build backend's wheels hold
what their RECORD says, and its source archive builds the same wheel."""

import base64
import hashlib
import os
import pathlib
import shutil
import subprocess
import sys
import tarfile
import zipfile

from support import FolderTest

SOURCE = os.path.dirname(os.path.dirname(os.path.realpath(__file__)))
BACKEND = os.path.join(SOURCE, "build_backend")
WHEEL = "orbivex-1.0-py3-none-any.whl"
ROUND_TRIP = """import numpy as np, orbivex
t = np.linspace(0, 6, 61); positions = np.stack([np.cos(t), np.sin(t)], axis=1)[:, np.newaxis, :]
orbivex.save("run.ovx", t, positions); back = orbivex.load("run.ovx")
print(orbivex.__file__, np.array_equal(back.t, t) and np.array_equal(back.positions, positions))"""


def files_under(folder):
    return {os.path.join(path, name) for path, folders, files in os.walk(folder) for name in folders + files}


class PipTest(FolderTest):
    def test_pip_installs_offline_into_a_virtual_environment(self):
        venv = self.path("venv")
        made = subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", venv],
                              capture_output=True)
        if made.returncode != 0:
            self.skipTest("no virtual environment with pip (Debian: python3-venv)")
        # No pip settings of this machine (a folder of wheels could hold setuptools), and byte code
        # written as Python does by default, to see that the sources are left as they were.
        environment = {key: value for key, value in os.environ.items()
                       if not key.startswith(("PIP_", "PYTHON"))}
        environment.update(PIP_CONFIG_FILE=os.devnull, PIP_DISABLE_PIP_VERSION_CHECK="1")
        offline = ["unshare", "-rn"]  # a network namespace of its own, with no way out
        if not shutil.which("unshare") or subprocess.run([*offline, "true"], capture_output=True).returncode:
            offline, environment["PIP_NO_INDEX"] = [], "1"  # no such namespace here: no index instead
        source = shutil.copytree(SOURCE, self.path("python"),
                                 ignore=shutil.ignore_patterns("tests", "__pycache__"))
        before = files_under(source)

        done = subprocess.run([*offline, os.path.join(venv, "bin", "pip"), "install", source],
                              env=environment, cwd=self.folder, capture_output=True, text=True)
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        self.assertEqual(files_under(source), before)
        run = subprocess.run([os.path.join(venv, "bin", "python"), "-c", ROUND_TRIP], env=environment,
                             cwd=self.folder, capture_output=True, text=True)
        self.assertEqual(run.returncode, 0, run.stderr)
        where, same = run.stdout.split()
        self.assertTrue(where.startswith(venv + os.sep), where)
        self.assertEqual(same, "True")

    def test_the_wheels_hold_what_their_record_says(self):
        sys.path.insert(0, BACKEND)
        self.addCleanup(sys.path.remove, BACKEND)
        import orbivex_build

        sources = pathlib.Path(SOURCE, "orbivex").glob("*.py")
        package = {f"orbivex/{path.name}": path.read_bytes() for path in sources}
        editable = {"_orbivex_editable.pth": f"{SOURCE}\n".encode()}
        info = "orbivex-1.0.dist-info/"
        for build, files in [(orbivex_build.build_wheel, package), (orbivex_build.build_editable, editable)]:
            with self.subTest(build.__name__):
                folder = self.path(build.__name__)
                os.mkdir(folder)
                self.assertEqual(build(folder), WHEEL)
                with zipfile.ZipFile(os.path.join(folder, WHEEL)) as wheel:
                    entries = {entry: wheel.read(entry) for entry in wheel.namelist()}
                packed = {entry: data for entry, data in entries.items() if not entry.startswith(info)}
                self.assertEqual(packed, files)
                self.assertIn(b"\nTag: py3-none-any\n", entries[info + "WHEEL"])
                rows = [line.split(",") for line in entries[info + "RECORD"].decode().splitlines()]
                self.assertEqual(sorted(row[0] for row in rows), sorted(entries))
                for entry, digest, size in rows:
                    data = entries[entry]
                    hashed = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).decode().rstrip("=")
                    expected = [f"sha256={hashed}", str(len(data))] if entry != info + "RECORD" else ["", ""]
                    self.assertEqual([digest, size], expected, entry)

        # The source archive, unpacked, builds the same wheel byte for byte.
        with tarfile.open(os.path.join(self.folder, orbivex_build.build_sdist(self.folder))) as archive:
            archive.extractall(self.folder)
        unpacked = self.path("orbivex-1.0")
        script = "import sys, orbivex_build; orbivex_build.build_wheel(sys.argv[1])"
        subprocess.run([sys.executable, "-c", script, unpacked], check=True,
                       env=dict(os.environ, PYTHONPATH=os.path.join(unpacked, "build_backend")))
        with open(os.path.join(unpacked, WHEEL), "rb") as rebuilt, \
                open(self.path(f"build_wheel/{WHEEL}"), "rb") as first:
            self.assertEqual(rebuilt.read(), first.read())
