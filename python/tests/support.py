"""What the tests share: the programs under test and a scratch folder."""

import os
import subprocess
import tempfile
import unittest
from unittest import mock


def program(variable):
    """The path in environment `variable`, set by the build's test."""
    path = os.environ.get(variable)
    if not path:
        raise unittest.SkipTest(f"{variable} is not set: run the tests through ctest")
    return path


class FolderTest(unittest.TestCase):
    """A test with a scratch folder of its own, `self.folder`, and settings
    of its own: the programs it runs find XDG_CONFIG_HOME in another one."""

    def setUp(self):
        scratch = tempfile.TemporaryDirectory(prefix="orbivex-test-")
        self.addCleanup(scratch.cleanup)
        self.folder = scratch.name
        settings = tempfile.TemporaryDirectory(prefix="orbivex-settings-")
        self.addCleanup(settings.cleanup)
        own = mock.patch.dict(os.environ, XDG_CONFIG_HOME=settings.name)
        own.start()
        self.addCleanup(own.stop)

    def path(self, name):
        return os.path.join(self.folder, name)

    def write(self, name, text):
        with open(self.path(name), "w" if isinstance(text, str) else "wb") as file:
            file.write(text)
        return self.path(name)

    def run_program(self, *arguments):
        done = subprocess.run(arguments, capture_output=True, text=True)
        self.assertEqual(done.returncode, 0, f"{arguments} failed: {done.stderr}")
        return done.stdout
