"""Runs one test module of the orbivex package (its name the argument) with
the system's python3; exits with 77, which ctest counts as skipped, when
numpy is missing or every test was skipped."""

import importlib.util
import os
import sys
import unittest

if importlib.util.find_spec("numpy") is None:
    print("SKIPPED: numpy is not installed for this python3 (Debian: python3-numpy)")
    sys.exit(77)

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
suite = unittest.defaultTestLoader.loadTestsFromName(sys.argv[1])
result = unittest.TextTestRunner(verbosity=2).run(suite)
if not result.wasSuccessful():
    sys.exit(1)
if result.testsRun and len(result.skipped) == result.testsRun:
    print("SKIPPED: " + "; ".join(sorted({reason for _, reason in result.skipped})))
    sys.exit(77)
