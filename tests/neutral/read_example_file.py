#!/usr/bin/env python3
"""Independent reader: decodes the file that the store example writes with
nothing but the struct module, and checks every field."""
import struct
import sys


def fail(msg):
    print("FAIL:", msg)
    sys.exit(1)


def text(raw):
    return raw.split(b"\0", 1)[0].decode("ascii")


def main(path):
    data = open(path, "rb").read()
    if len(data) < 121:
        fail("file shorter than a header")
    name, end, version = struct.unpack_from("<8siI", data, 0)
    if text(name) != "WyNF" or end != 121 or version != 20000701:
        fail("header id block %r %d %d" % (name, end, version))
    order = data[16]
    date = data[17:25].decode("ascii")
    if order != 0 or not date.isdigit():
        fail("order byte %d / date %r" % (order, date))
    if text(data[25:41]) != "example" or text(data[41:121]) != "two objects":
        fail("header texts")

    # Walk the top-level chain.
    blocks = {}
    at = 121
    while at < len(data):
        name, end, version = struct.unpack_from("<8siI", data, at)
        if end <= at or end > len(data):
            fail("block at %d has end address %d" % (at, end))
        blocks[text(name)] = (at, end, version)
        at = end
    if at != len(data) or set(blocks) != {"ColorTab", "PointPat"}:
        fail("chain: %r ends at %d of %d" % (blocks, at, len(data)))

    # Colour table: count, four floats a colour, closing null block.
    at, end, version = blocks["ColorTab"]
    if version != 20010104:
        fail("colour table version %d" % version)
    count = data[at + 16]
    colors = [struct.unpack_from("<4f", data, at + 17 + 16 * i)
              for i in range(count)]
    want = [(1.0, 0.0, 0.0, 1.0), (0.0, struct.unpack("<f", struct.pack("<f", 0.8))[0], 0.0, 1.0)]
    if colors != want:
        fail("colours %r" % colors)
    null_at = at + 17 + 16 * count
    if data[null_at:null_at + 16] != b"WyNULL\0\0" + bytes(8) or end != null_at + 16:
        fail("colour table's null block")

    # The example's own object: long name, nested points block, tag list.
    at, end, version = blocks["PointPat"]
    if version != 20261206 or text(data[at + 16:at + 96]) != "outline":
        fail("PointPath id block or name")
    p = at + 96
    pname, pend, pver = struct.unpack_from("<8siI", data, p)
    (n,) = struct.unpack_from("<i", data, p + 16)
    xyz = struct.unpack_from("<%dd" % (3 * n), data, p + 20)
    if text(pname) != "Points" or pver != 1 or pend != p + 20 + 24 * n:
        fail("nested points block")
    if xyz != (0, 0, 0, 1, 0, 0, 1, 1, 0.5):
        fail("points %r" % (xyz,))
    tags = []
    q = pend
    while True:
        tname, tend, tver = struct.unpack_from("<8siI", data, q)
        q += 16
        if text(tname) == "WyNULL":
            break
        tags.append(text(tname))
    if tags != ["closed", "visible"] or q != end:
        fail("tags %r, list ends at %d, block at %d" % (tags, q, end))
    print("ok: %d bytes, %d blocks" % (len(data), len(blocks)))


if __name__ == "__main__":
    main(sys.argv[1])
