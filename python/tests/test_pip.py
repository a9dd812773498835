"""pip installs the module into a virtual environment without a network, the
way the README gives."""

import os
import shutil
import subprocess
import sys

from support import FolderTest

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


class PipTest(FolderTest):
    def test_pip_installs_offline_into_a_virtual_environment(self):
        venv = self.path("venv")
        made = subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", venv], capture_output=True)
        if made.returncode != 0:
            self.skipTest("no virtual environment with pip (Debian: python3-venv)")
        # A copy, since the build leaves its files beside the sources.
        source = shutil.copytree(SOURCE, self.path("source"), ignore=shutil.ignore_patterns("tests", "__pycache__"))
        environment = dict(os.environ, PIP_DISABLE_PIP_VERSION_CHECK="1", PYTHONPATH="")
        done = subprocess.run([os.path.join(venv, "bin", "pip"), "install", "--no-index", "--no-build-isolation",
                               "--no-cache-dir", source], env=environment, capture_output=True, text=True)
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        imported = subprocess.run([os.path.join(venv, "bin", "python"), "-c", "import orbivex; print(orbivex.__file__)"],
                                  env=environment, cwd=self.folder, capture_output=True, text=True, check=True)
        self.assertTrue(imported.stdout.startswith(os.path.join(venv, "lib")), imported.stdout)
