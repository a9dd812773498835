"""What the tests share: the programs under test and a scratch folder."""

import os
import subprocess
import tempfile
import unittest


def program(variable):
    """The path in environment `variable`, set by the build's test."""
    path = os.environ.get(variable)
    if not path:
        raise unittest.SkipTest(f"{variable} is not set: run the tests through ctest")
    return path


class FolderTest(unittest.TestCase):
    """A test with a scratch folder of its own, `self.folder`."""

    def setUp(self):
        scratch = tempfile.TemporaryDirectory(prefix="orbivex-test-")
        self.addCleanup(scratch.cleanup)
        self.folder = scratch.name

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
