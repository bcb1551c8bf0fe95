#!/usr/bin/env python3
"""The include check passes on the tree and fails on a copy of it with a
planted include that closes a cycle, breaks the table, or brings cairo or
pango into the library."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
CHECKER = os.path.join(SOURCE, "scripts", "check-includes.py")


def run(root):
    r = subprocess.run([sys.executable, CHECKER, "--root", root], capture_output=True, text=True)
    return r.returncode, r.stdout + r.stderr


class IncludeCheck(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pristine = tempfile.mkdtemp(prefix="kv-includes-")
        for top in ("platform", "sym", "apps"):
            shutil.copytree(os.path.join(SOURCE, top), os.path.join(cls.pristine, top))
        os.makedirs(os.path.join(cls.pristine, "cmake"))
        shutil.copy(os.path.join(SOURCE, "cmake", "include-edges.txt"), os.path.join(cls.pristine, "cmake"))

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.pristine, ignore_errors=True)

    def test_tree_passes(self):
        code, out = run(SOURCE)
        self.assertEqual(code, 0, out)
        code, out = run(self.pristine)
        self.assertEqual(code, 0, out)

    def plant(self, files, table=""):
        """A copy of the tree with text appended to files (created when
        missing) and lines appended to the table; the checker's answer."""
        root = tempfile.mkdtemp(prefix="kv-includes-")
        self.addCleanup(shutil.rmtree, root, True)
        shutil.copytree(self.pristine, root, dirs_exist_ok=True)
        for rel, text in files.items():
            path = os.path.join(root, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "a", encoding="utf-8") as f:
                f.write("\n" + text + "\n")
        if table:
            with open(os.path.join(root, "cmake", "include-edges.txt"), "a", encoding="utf-8") as f:
                f.write("\n" + table + "\n")
        return run(root)

    def test_planted_faults_fail(self):
        cycle = {"sym/foundation/symgeom.h": '#include "sym/symbol/symbase.h"'}
        cases = [
            # (name, planted files, table lines, what the report says)
            ("edge not in the table closes a cycle", cycle, "", "sym/foundation -> sym/symbol is not an allowed edge"),
            ("the same edge reported as a cycle", cycle, "", "the folders of sym/ include each other"),
            ("a cycle fails even when the table allows it", cycle,
             "sym/foundation -> sym/symbol : planted", "the folders of sym/ include each other"),
            ("a table that closes a cycle", {}, "sym/foundation -> sym/symbol : planted",
             "the allowed edges of sym/ close a cycle"),
            ("an upward edge of the table without a reason", {}, "sym/render -> sym/diagram", "gives no reason"),
            ("a downward edge missing from the table", {"sym/edit/symselection.cpp": '#include "sym/shapes/symcustomsymbol.h"'},
             "", "sym/edit -> sym/shapes is not an allowed edge"),
            ("the Windows layer includes the core library",
             {"platform/win/guid.cpp": '#include "kvcore/sstring.h"'},
             "platform/win -> platform/kvcore", "the Windows layer includes the core library"),
            ("a platform layer includes the library",
             {"platform/kvrep/srepobject.h": '#include "sym/foundation/symgeom.h"'},
             "platform/kvrep -> sym/foundation : planted", "the platform layer platform/kvrep includes the library"),
            ("an include that names no folder", {"sym/render/symclip.cpp": '#include "nowhere/thing.h"'}, "",
             '"nowhere/thing.h" names no folder of the tree'),
            ("a library header includes cairo", {"sym/render/symclip.h": "#include <cairo.h>"}, "",
             "a header of the library includes <cairo.h>"),
            ("a library header brings in pango through a platform header",
             {"platform/kvcore/sstring.h": "#include <pango/pango.h>"}, "",
             "brings in <pango/pango.h> through platform/kvcore/sstring.h"),
            ("a folder the table does not know", {"sym/extras/symextra.cpp": '#include "sym/symbol/symbase.h"'},
             "", "sym/extras is not in the layer order"),
            ("a direct cairo call in the library",
             {"sym/render/symclip.cpp": "void PlantedPaint(cairo_t* cr) { cairo_paint(cr); }"}, "",
             "direct call of cairo_paint"),
            ("a direct pango call in the library",
             {"sym/diagram/symview.cpp": "void PlantedLayout() { pango_layout_new(nullptr); }"}, "",
             "direct call of pango_layout_new"),
        ]
        for name, files, table, message in cases:
            with self.subTest(name):
                code, out = self.plant(files, table)
                self.assertNotEqual(code, 0, out)
                self.assertIn(message, out)

    def test_allowed_plants_pass(self):
        cases = [
            ("the layout engine plug-in builds on the library's interface headers",
             {"platform/kvlayout/layoutengine.cpp": '#include "sym/symbol/symintfsymbol.h"'}),
            ("cairo and pango named in comments and texts only",
             {"sym/render/symclip.cpp": '// cairo_paint(cr) is not called here\nstatic const char* kNote = "pango_layout_new()";'}),
            ("a source file of the library may include cairo (but call nothing)",
             {"sym/render/symclip.cpp": "#include <cairo.h>"}),
        ]
        for name, files in cases:
            with self.subTest(name):
                code, out = self.plant(files)
                self.assertEqual(code, 0, out)


if __name__ == "__main__":
    unittest.main()
