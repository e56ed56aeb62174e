#!/usr/bin/env python3
"""The layer check on small trees: what it must refuse and what it must pass."""
import os
import subprocess
import sys
import tempfile

CHECK = os.path.join(os.path.dirname(__file__), "..", "..", "tools", "check_layers.py")

LAYERS = "low: base\nmiddle: model\ntop: left right\n"

CASES = [
    # (name, files {path: text}, expected exit, text the report must hold)
    ("downward and own-folder includes pass",
     {"model/a.h": '#include "base/b.h"\n#include "model/c.h"\n', "right/r.cpp": '#include "left/l.h"\n'},
     0, "every include reads downward"),
    ("an include of a higher layer is refused",
     {"base/b.h": '#include "model/a.h"\n'}, 1, "base/b.h:1: includes \"model/a.h\""),
    ("a later folder of the same layer is refused",
     {"left/l.cpp": '\n#include "right/r.h"\n'}, 1, "left/l.cpp:2: includes \"right/r.h\""),
    ("a folder missing from the order is refused",
     {"extra/x.cpp": "int x;\n"}, 1, "folder \"extra\" is not in layers.txt"),
    ("the App record below the application layer is refused",
     {"model/m.h": "struct App;\nint f(App& app);\n"}, 1, "model/m.h:1: names the App record"),
    ("the App record in a comment is allowed",
     {"model/m.h": "int f(); // called with App& by the shell\n"}, 0, "every include reads downward"),
]


def run_case(files):
    with tempfile.TemporaryDirectory() as src:
        with open(os.path.join(src, "layers.txt"), "w") as f:
            f.write(LAYERS + "app: app\n")
        for path, text in files.items():
            os.makedirs(os.path.join(src, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(src, path), "w") as f:
                f.write(text)
        done = subprocess.run([sys.executable, CHECK, src], capture_output=True, text=True)
        return done.returncode, done.stdout


def main():
    failed = 0
    for name, files, code, text in CASES:
        got_code, out = run_case(files)
        if got_code != code or text not in out:
            failed += 1
            print(f"FAIL {name}: exit {got_code}, output:\n{out}")
    print(f"{len(CASES) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
