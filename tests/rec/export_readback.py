"""Exports recordings with ls7x-rec and reads every output back with readers that are not
ours: Open3D for PLY, PCD and XYZ, Python's csv module for CSV. Usage: export_readback.py
LS7X_REC. Exits 77 (skipped) when Open3D is not installed."""
import csv
import math
import os
import struct
import subprocess
import sys
import tempfile

try:
    import numpy as np
    import open3d as o3d
except ImportError as missing:
    print(f"skipped: {missing} (scripts/deps installs python3-open3d)")
    sys.exit(77)

tool = sys.argv[1]
f32 = lambda v: struct.unpack("<f", struct.pack("<f", v))[0]


def dump(path):
    """A dump of 30 profiles as LS7x-SU writes it, with an undefined point in every seventh."""
    expected = []
    with open(path, "wb") as f:
        for i in range(30):
            points = [(f32(-20 + 0.37 * j + 0.001 * i), f32(100 + 3.3 * math.sin(j + i))) for j in range(1 + i * 11)]
            if i % 7 == 0:
                points[0] = (float("nan"), 1.0)
            f.write(struct.pack("<BHI", 5, len(points), 0x7FC10000 | (1000 + 2 * i)))
            for x, y in points:
                f.write(struct.pack("<ff", x, y))
                if not math.isnan(x):
                    expected.append((x, y, f32(i * 0.25)))
    return expected


def cloud(path):
    """A 3-D point cloud record, z its own per point."""
    expected = [(f32(0.1 * k), f32(-k * 1.5e-3), f32(1e3 + k // 50)) for k in range(700)]
    with open(path, "wb") as f:
        f.write(struct.pack("<BI", 3, len(expected)))
        for p in expected:
            f.write(struct.pack("<fff", *p))
    return expected


def export(source, target, *options):
    done = subprocess.run([tool, "export", source, "--to", target, *options], capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"{target}: ls7x-rec failed ({done.returncode}): {done.stderr}")


def read(path):
    if path.endswith(".csv"):
        with open(path, newline="") as f:
            rows = list(csv.reader(f))
        if rows[0] != ["x", "y", "z"]:
            sys.exit(f"{path}: header row {rows[0]}")
        return np.array([[float(v) for v in row] for row in rows[1:]], dtype=np.float32)
    return np.asarray(o3d.io.read_point_cloud(path).points).astype(np.float32)


failures = 0
with tempfile.TemporaryDirectory() as work:
    cases = [("dump.bin", dump, ["--pitch", "0.25"]), ("cloud.bin", cloud, [])]
    for name, make, options in cases:
        source = os.path.join(work, name)
        expected = np.array(make(source), dtype=np.float32)
        for target, extra in [("out.ply", []), ("ascii.ply", ["--ascii"]), ("out.pcd", []),
                              ("ascii.pcd", ["--ascii"]), ("out.xyz", []), ("out.csv", [])]:
            path = os.path.join(work, target)
            export(source, path, *options, *extra)
            got = read(path)
            if got.shape != expected.shape or not np.array_equal(got, expected):
                failures += 1
                print(f"FAIL {name} -> {target}: {got.shape[0]} points read, {expected.shape[0]} expected")
            else:
                print(f"PASS {name} -> {target}: {got.shape[0]} points")
    # Records 3 to 9, every third: 3, 6 and 9, with their own scan positions.
    source = os.path.join(work, "dump.bin")
    path = os.path.join(work, "some.ply")
    export(source, path, "--pitch", "0.25", "--range", "3:9", "--every", "3")
    got = read(path)
    expected = np.array([p for p in dump(source) if p[2] in (f32(0.75), f32(1.5), f32(2.25))], dtype=np.float32)
    if not np.array_equal(got, expected):
        failures += 1
        print(f"FAIL range and every: {got.shape[0]} points read, {expected.shape[0]} expected")
    else:
        print(f"PASS range and every: {got.shape[0]} points")

print(f"{14 - failures} passed, {failures} failed")
sys.exit(1 if failures else 0)
