"""Reads a DXF export with ezdxf and prints what the C++ test compares.

Usage: dxf_ezdxf_check.py FILE

Output, one fact per line:
  entities N                   entities in model space
  POLYLINE N                   of which polyface meshes and other polylines
  object LAYER MODE M N V F    per POLYLINE: layer, ezdxf's mode, the vertex and
                               face counts of its header (71, 72), and the
                               vertex and face records actually read
  first X Y Z / last X Y Z     its first and last vertex, three decimals
  face A B C                   its first face record (negative = hidden edge)
  errors N                     problems ezdxf's audit could not fix
"""
import sys

import ezdxf

VERTEX = 64  # polyface mesh vertex flag
FACE = 128  # polyface mesh face record (without VERTEX)


def coordinates(vertex):
    x, y, z = vertex.dxf.location
    return "{:.3f} {:.3f} {:.3f}".format(x, y, z)


def main(path):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    msp = doc.modelspace()
    entities = list(msp)
    print("entities", len(entities))
    polylines = [e for e in entities if e.dxftype() == "POLYLINE"]
    print("POLYLINE", len(polylines))
    for p in polylines:
        vertices = [v for v in p.vertices if v.dxf.flags & VERTEX]
        faces = [v for v in p.vertices if v.dxf.flags & (VERTEX | FACE) == FACE]
        print("object", p.dxf.layer, p.get_mode(), p.dxf.m_count, p.dxf.n_count, len(vertices), len(faces))
        print("first", coordinates(vertices[0]))
        print("last", coordinates(vertices[-1]))
        f = faces[0].dxf
        print("face", f.vtx0, f.vtx1, f.vtx2)
    print("errors", len(auditor.errors))


if __name__ == "__main__":
    main(sys.argv[1])
