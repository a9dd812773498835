"""The tables of tests/corpus read as the viewer reads them: each gives what
the NAME.expected beside it says, the values the viewer's own test
(tests/table_corpus_test.cpp) checks on the same files."""

import os

import orbivex
from orbivex._extent import data_box, table_revolution
from support import FolderTest

CORPUS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "corpus")
NUMBERS = ("extent", "box", "square")


def expected_values(path):
    """The `key = value` lines of an expected file, '#' lines left out."""
    values = {}
    with open(path, encoding="utf-8") as file:
        for line in file:
            if line.strip() and not line.startswith("#"):
                key, value = line.rstrip("\n").split(" = ", 1)
                values[key] = [float(v) for v in value.split()] if key in NUMBERS else value
    return values


class TableCorpusTest(FolderTest):
    def found(self, table):
        """What loading `table` gives, keyed as the expected files are."""
        try:
            loaded = orbivex.load(table)
        except orbivex.TableError as error:
            return {"error": str(error)}
        xy = loaded.positions[:, :, :2]
        values = {
            "bodies": str(xy.shape[1]),
            "rows": str(len(loaded.t)),
            "names": " ".join(loaded.names or []),
            "time unit": loaded.time_unit or "",
            "length unit": loaded.length_unit or "",
            "note": loaded.note,
            "extent": list(data_box(xy)),
            "box": list(loaded.box),
            "revolution": str(table_revolution(xy)),
            "trail": str(loaded.trail),
        }
        # The square save() gives by default, as orbivex-gen would.
        saved = orbivex.save(self.path("saved.ovx"), loaded.t, loaded.positions, plane=loaded.plane, allow_nan=True)
        values["square"] = [orbivex.load(saved).box[2]]
        return {key: value for key, value in values.items() if value != ""}

    def test_each_table_gives_what_its_expected_file_says(self):
        names = sorted(name[: -len(".expected")] for name in os.listdir(CORPUS) if name.endswith(".expected"))
        self.assertGreater(len(names), 5)
        for name in names:
            tables = [f for f in os.listdir(CORPUS) if os.path.splitext(f)[0] == name and not f.endswith(".expected")]
            with self.subTest(name):
                self.assertEqual(len(tables), 1, tables)
                found = self.found(os.path.join(CORPUS, tables[0]))
                expected = expected_values(os.path.join(CORPUS, name + ".expected"))
                self.assertEqual(found, expected)
