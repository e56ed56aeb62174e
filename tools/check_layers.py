#!/usr/bin/env python3
"""Checks that the sources include only downward.

Usage: check_layers.py SRC_DIR

Reads SRC_DIR/layers.txt (one layer a line, "name: folder folder ..."), then
every .h and .cpp under SRC_DIR. Reports, one a line as FILE:LINE: reason,
  - an include of a header in a folder that comes later in the order (a higher
    layer, or a later folder of the same layer);
  - a folder that is not in the order;
  - a file below the application layer that names the App record.
Exits 1 when it reported anything, 0 otherwise.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
APP_RECORD = re.compile(r'\bstruct\s+App\b|\bApp\s*[&*]|\bconst\s+App\b')
APP_LAYER = "app"


def read_order(src):
    rank, layer_of = {}, {}
    with open(os.path.join(src, "layers.txt"), encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            layer, _, folders = line.partition(":")
            for folder in folders.split():
                rank[folder] = len(rank)
                layer_of[folder] = layer.strip()
    return rank, layer_of


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    src = sys.argv[1]
    rank, layer_of = read_order(src)
    top = len(rank)  # files at the root of src (main.cpp) stand above everything
    app_rank = rank[APP_LAYER]
    problems = []
    for root, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(root, name)
            rel = os.path.relpath(path, src)
            folder = os.path.dirname(rel)
            if folder and folder not in rank:
                problems.append(f"{rel}:1: folder \"{folder}\" is not in layers.txt")
                continue
            own = rank[folder] if folder else top
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if m:
                        target = os.path.dirname(m.group(1))
                        if target and target != folder:
                            if target not in rank:
                                problems.append(f"{rel}:{number}: includes \"{m.group(1)}\" from a folder not in layers.txt")
                            elif rank[target] > own:
                                problems.append(f"{rel}:{number}: includes \"{m.group(1)}\" of {target}/ "
                                                f"(layer {layer_of[target]}), which stands above {folder}/ "
                                                f"(layer {layer_of[folder]})")
                    elif own < app_rank and APP_RECORD.search(line.split("//", 1)[0]):
                        problems.append(f"{rel}:{number}: names the App record below the application layer")
    for p in sorted(problems):
        print(p)
    print(f"{len(problems)} layer problems" if problems else "layers: every include reads downward")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
