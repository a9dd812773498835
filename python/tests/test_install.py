"""The module installed by cmake --install: where Debian's python3 finds it,
importable from there, and runnable as python3 -m orbivex."""

import os
import re
import stat
import subprocess
import sys

from support import FolderTest, program


class InstallTest(FolderTest):
    def test_the_installed_module_imports_and_runs(self):
        prefix, folder = self.path("prefix"), program("ORBIVEX_PYTHON_DIR")
        self.run_program(program("ORBIVEX_CMAKE"), "--install", program("ORBIVEX_BUILD_DIR"), "--prefix", prefix,
                         "--component", "python")
        installed = os.path.join(prefix, folder, "orbivex")
        self.assertEqual(sorted(os.listdir(installed)),
                         ["__init__.py", "__main__.py", "_animation.py", "_config.py", "_extent.py", "_fields.py", "_live.py",
                          "_numbers.py", "_series.py", "_simulation.py", "_table.py", "_viewer.py", "_writing.py"])
        self.assertEqual(os.listdir(prefix), ["lib"])

        viewer = self.write("viewer", '#!/bin/sh\necho "viewer $*"\n')
        os.chmod(viewer, stat.S_IRWXU)
        environment = dict(os.environ, PYTHONPATH=os.path.join(prefix, folder), ORBIVEX=viewer)

        def python(*arguments):
            return subprocess.run([sys.executable, *arguments], env=environment, cwd=self.folder, check=True,
                                  capture_output=True, text=True).stdout

        self.assertEqual(python("-c", "import orbivex; print(orbivex.__file__)").strip(),
                         os.path.join(installed, "__init__.py"))
        self.assertEqual(python("-m", "orbivex", "--framed", "run.ovx"), "viewer --framed run.ovx\n")
        self.assertIn("python3 -m orbivex", python("-m", "orbivex", "--help"))

    def test_the_default_folder_is_on_pythons_path_under_usr_and_usr_local(self):
        folder = program("ORBIVEX_PYTHON_DIR")
        if not re.fullmatch(r"lib/python3\.[0-9]+/dist-packages", folder) or not os.path.isfile("/etc/debian_version"):
            self.skipTest(f"{folder} is not the default folder on Debian")
        for prefix in ("/usr", "/usr/local"):
            self.assertIn(os.path.join(prefix, folder), sys.path)
