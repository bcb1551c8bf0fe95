#!/usr/bin/env python3
"""Checks the includes of platform/, sym/ and apps/ against the table of
allowed edges between folders (cmake/include-edges.txt).

Fails on:
  - an include from one folder into another that the table does not allow;
  - a cycle among the folders of sym/ (whatever the table says);
  - platform/win including platform/kvcore, or any platform layer but
    platform/kvlayout including sym/ (whatever the table says);
  - a table edge that goes up the layer order without a reason, or an edge
    among sym/ folders in the table that closes a cycle;
  - a cairo or pango header included by a header of sym/, directly or
    through the platform headers it includes (the library's headers declare
    what they need of cairo and pango), and any direct cairo_*/pango_* call
    in sym/ (the library draws through the device context only);
  - a quoted include that names no folder of the tree, and a folder with
    sources that is not in the table's layer order.

Usage: check-includes.py [--root DIR] [--table FILE] [--print-edges]
"""

import argparse
import os
import re
import sys

SCANNED = ("platform", "sym", "apps")
SOURCE_EXT = (".h", ".hpp", ".c", ".cc", ".cpp", ".inc")
INCLUDE_RE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
CALL_RE = re.compile(r"\b((?:cairo|pango)_[A-Za-z0-9_]*)\s*\(")
GRAPHICS_HEADER_RE = re.compile(r"^(cairo|pango)[-/._]")


def strip_comments(text):
    """Blanks comments and string literals, keeping line breaks."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append("\n" * text.count("\n", i, j))
            i = j
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(c + c)
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


class Table:
    def __init__(self, path):
        self.path = path
        self.order = []  # layer order, lowest first
        self.edges = {}  # (from, to) -> reason
        self.errors = []
        with open(path, encoding="utf-8") as f:
            for number, raw in enumerate(f, 1):
                line = raw.split("#", 1)[0].strip() if not raw.lstrip().startswith("#") else ""
                if not line:
                    continue
                where = f"{path}:{number}"
                words = line.split(None, 1)
                if words[0] == "order":
                    self.order.extend(words[1].split() if len(words) > 1 else [])
                    continue
                m = re.match(r"^(\S+)\s*->\s*(\S+)\s*(?::\s*(.*))?$", line)
                if not m:
                    self.errors.append(f"{where}: cannot read '{line}'")
                    continue
                self.edges[(m.group(1), m.group(2))] = (m.group(3) or "").strip()
        for (a, b), reason in self.edges.items():
            for folder in (a, b):
                if folder not in self.order:
                    self.errors.append(f"{path}: {folder} is not in the layer order")
            if a in self.order and b in self.order and self.rank(b) > self.rank(a) and not reason:
                self.errors.append(f"{path}: {a} -> {b} goes up the layer order and gives no reason")

    def rank(self, folder):
        return self.order.index(folder)


def folder_of(root, path):
    rel = os.path.relpath(path, root).replace(os.sep, "/")
    parts = rel.split("/")
    return "/".join(parts[:2]) if len(parts) > 2 else parts[0]


def resolve_file(root, platform_layers, including, name):
    """The file a quoted include names, or None."""
    parts = name.split("/")
    if parts[0] in platform_layers and len(parts) > 1:
        candidate = os.path.join(root, "platform", name)
    elif parts[0] in ("sym", "apps", "tests"):
        candidate = os.path.join(root, name)
    else:
        candidate = os.path.join(os.path.dirname(including), name)
    return os.path.normpath(candidate) if os.path.isfile(candidate) else None


def resolve(root, platform_layers, including, name):
    """The folder a quoted include lands in, or None when it names none."""
    parts = name.split("/")
    if parts[0] in platform_layers and len(parts) > 1:
        return "platform/" + parts[0]
    if parts[0] in ("sym", "apps") and len(parts) > 2:
        return parts[0] + "/" + parts[1]
    beside = os.path.join(os.path.dirname(including), name)
    if os.path.exists(beside):
        return folder_of(root, beside)
    if len(parts) == 1 and name.endswith(".inc"):
        return "generated"
    return None


def find_cycle(nodes, edges):
    """One cycle of the graph as a list of nodes, or None."""
    succ = {n: sorted(b for (a, b) in edges if a == n and b in nodes) for n in nodes}
    state = {}
    stack = []

    def visit(n):
        state[n] = 1
        stack.append(n)
        for m in succ[n]:
            if state.get(m) == 1:
                return stack[stack.index(m):] + [m]
            if m not in state:
                found = visit(m)
                if found:
                    return found
        stack.pop()
        state[n] = 2
        return None

    for n in sorted(nodes):
        if n not in state:
            found = visit(n)
            if found:
                return found
    return None


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", default=os.path.dirname(here))
    parser.add_argument("--table", default=None)
    parser.add_argument("--print-edges", action="store_true", help="list the edges found in the code")
    args = parser.parse_args()
    root = os.path.abspath(args.root)
    table = Table(args.table or os.path.join(root, "cmake", "include-edges.txt"))
    errors = list(table.errors)

    platform_dir = os.path.join(root, "platform")
    platform_layers = set(os.listdir(platform_dir)) if os.path.isdir(platform_dir) else set()
    platform_layers.add("kvlayout")

    found = {}  # (from, to) -> first place seen
    quoted = {}  # file -> [(line number, included file)]
    graphics = {}  # file -> the first cairo or pango header it includes itself
    for top in SCANNED:
        for dirpath, dirnames, filenames in os.walk(os.path.join(root, top)):
            dirnames.sort()
            for filename in sorted(filenames):
                if not filename.endswith(SOURCE_EXT):
                    continue
                path = os.path.join(dirpath, filename)
                rel = os.path.relpath(path, root).replace(os.sep, "/")
                source = folder_of(root, path)
                with open(path, encoding="utf-8", errors="replace") as f:
                    text = f.read()
                for number, line in enumerate(text.splitlines(), 1):
                    m = INCLUDE_RE.match(line)
                    if not m:
                        continue
                    kind, name = m.groups()
                    where = f"{rel}:{number}"
                    if kind == "<":
                        if GRAPHICS_HEADER_RE.match(name):
                            graphics.setdefault(path, name)
                        continue
                    included = resolve_file(root, platform_layers, path, name)
                    if included:
                        quoted.setdefault(path, []).append((number, included))
                    target = resolve(root, platform_layers, path, name)
                    if target is None:
                        errors.append(f'{where}: "{name}" names no folder of the tree')
                        continue
                    if target != source:
                        found.setdefault((source, target), where)
                if top == "sym":
                    for number, line in enumerate(strip_comments(text).splitlines(), 1):
                        for call in CALL_RE.findall(line):
                            errors.append(f"{rel}:{number}: direct call of {call}: "
                                          "the library draws through the device context")

    # Headers of sym/ that bring in cairo or pango, by themselves or through
    # the platform headers they include.
    def brings_graphics(path, seen):
        if path in graphics:
            return [graphics[path]]
        if path in seen:
            return None
        seen.add(path)
        if path not in quoted and os.path.isfile(path) and path.endswith(SOURCE_EXT):
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE_RE.match(line)
                    if not m:
                        continue
                    if m.group(1) == "<":
                        if GRAPHICS_HEADER_RE.match(m.group(2)):
                            graphics[path] = m.group(2)
                            return [m.group(2)]
                    else:
                        inc = resolve_file(root, platform_layers, path, m.group(2))
                        if inc:
                            quoted.setdefault(path, []).append((number, inc))
        for _, inc in quoted.get(path, []):
            chain = brings_graphics(inc, seen)
            if chain:
                return [os.path.relpath(inc, root).replace(os.sep, "/")] + chain
        return None

    sym_dir = os.path.join(root, "sym") + os.sep
    for path in sorted(quoted.keys() | graphics.keys()):
        if not path.startswith(sym_dir) or not path.endswith((".h", ".hpp")):
            continue
        rel = os.path.relpath(path, root).replace(os.sep, "/")
        if path in graphics:
            errors.append(f"{rel}: a header of the library includes <{graphics[path]}>: "
                          "declare the cairo or pango types it needs instead")
            continue
        for number, inc in quoted.get(path, []):
            if inc.startswith(sym_dir):
                continue  # reported at that header
            chain = brings_graphics(inc, set())
            if chain:
                through = [os.path.relpath(inc, root).replace(os.sep, "/")] + chain[:-1]
                errors.append(f"{rel}:{number}: a header of the library brings in <{chain[-1]}> through " +
                              " -> ".join(through) + ": declare the cairo or pango types it needs instead")

    if args.print_edges:
        for (a, b), where in sorted(found.items()):
            print(f"{a} -> {b}    ({where})")

    for (a, b), where in sorted(found.items()):
        if (a, b) not in table.edges:
            errors.append(f"{where}: {a} -> {b} is not an allowed edge ({table.path})")
        if a == "platform/win" and b == "platform/kvcore":
            errors.append(f"{where}: the Windows layer includes the core library")
        if a.startswith("platform/") and a != "platform/kvlayout" and b.startswith("sym/"):
            errors.append(f"{where}: the platform layer {a} includes the library ({b})")

    # Every folder with sources is a layer of the table (the build takes the
    # library's folders from its order).
    for top in SCANNED:
        top_dir = os.path.join(root, top)
        for name in sorted(os.listdir(top_dir)) if os.path.isdir(top_dir) else []:
            sub = os.path.join(top_dir, name)
            if os.path.isdir(sub) and any(f.endswith(SOURCE_EXT) for f in os.listdir(sub)):
                if f"{top}/{name}" not in table.order:
                    errors.append(f"{top}/{name} is not in the layer order of {table.path}")

    sym_nodes = {n for e in list(found) + list(table.edges) for n in e if n.startswith("sym/")}
    cycle = find_cycle(sym_nodes, set(found))
    if cycle:
        errors.append("the folders of sym/ include each other: " + " -> ".join(cycle) + " (" +
                      ", ".join(found[(cycle[i], cycle[i + 1])] for i in range(len(cycle) - 1)) + ")")
    cycle = find_cycle(sym_nodes, set(table.edges))
    if cycle:
        errors.append(f"{table.path}: the allowed edges of sym/ close a cycle: " + " -> ".join(cycle))

    for e in errors:
        print("include check: " + e, file=sys.stderr)
    if errors:
        print(f"include check: {len(errors)} error(s)", file=sys.stderr)
        return 1
    unused = sorted(set(table.edges) - set(found))
    for a, b in unused:
        print(f"include check: note: {a} -> {b} is allowed but not used")
    print(f"include check: {len(found)} edges between folders, all allowed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
