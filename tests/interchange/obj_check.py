#!/usr/bin/env python3
"""Reads a Wavefront OBJ the way a 3-D package's script would, independently
of the writer, and prints what the mesh export test compares:

    mtllib NAME
    vertices N
    group NAME faces N materials M1 M2 ...    (groups in order of appearance)
    material NAME R G B                       (Kd of each material in the .mtl)
    downward N                                (faces whose normal does not point up, +z)
    bad N                                     (faces naming a missing vertex, unknown materials)
    point C R Z | point C R missing           (the vertex at x = C * SX, y = R * SY)

usage: obj_check.py FILE.obj SX SY [C,R ...]
"""
import os
import sys


def main():
    path, sx, sy = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
    queries = [tuple(int(n) for n in q.split(",")) for q in sys.argv[4:]]
    vertices, groups, order = [], {}, []
    mtllib, group, material, bad, downward = None, None, None, 0, 0
    faces = []
    with open(path, encoding="ascii") as obj:
        for line in obj:
            words = line.split()
            if not words or words[0].startswith("#"):
                continue
            if words[0] == "mtllib":
                mtllib = words[1]
            elif words[0] == "v":
                vertices.append(tuple(float(w) for w in words[1:4]))
            elif words[0] == "g":
                group = words[1]
                if group not in groups:
                    groups[group] = {"faces": 0, "materials": []}
                    order.append(group)
            elif words[0] == "usemtl":
                material = words[1]
                if group is not None and material not in groups[group]["materials"]:
                    groups[group]["materials"].append(material)
            elif words[0] == "f":
                if group is None:
                    bad += 1
                    continue
                groups[group]["faces"] += 1
                faces.append(([int(w.split("/")[0]) for w in words[1:]], material))

    materials = {}
    if mtllib is not None:
        name = None
        with open(os.path.join(os.path.dirname(path), mtllib), encoding="ascii") as mtl:
            for line in mtl:
                words = line.split()
                if words and words[0] == "newmtl":
                    name = words[1]
                elif words and words[0] == "Kd" and name is not None:
                    materials[name] = tuple(float(w) for w in words[1:4])

    for indices, material in faces:
        if material not in materials or any(i < 1 or i > len(vertices) for i in indices):
            bad += 1
            continue
        a, b, c = (vertices[i - 1] for i in indices[:3])
        nz = (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])
        if nz <= 0:
            downward += 1

    print("mtllib", mtllib)
    print("vertices", len(vertices))
    for g in order:
        print("group", g, "faces", groups[g]["faces"], "materials", *groups[g]["materials"])
    for name, kd in materials.items():
        print("material", name, *("%.4f" % k for k in kd))
    print("downward", downward)
    print("bad", bad)
    at = {(round(v[0], 3), round(v[1], 3)): v[2] for v in vertices}
    for c, r in queries:
        z = at.get((round(c * sx, 3), round(r * sy, 3)))
        print("point", c, r, "missing" if z is None else "%g" % z)


if __name__ == "__main__":
    main()
