#!/usr/bin/env python3
"""The command's DXF drawing and points CSV of the sample network, read back
by independent readers (ezdxf, Python's csv module) and compared with the
input coordinates and the printed results table.

Usage: readback_test.py sample|axes|csv|refusals BATCH COORDS MEASUREMENTS
"""
import csv
import io
import math
import os
import re
import subprocess
import sys
import tempfile

LAYERS = [
    "FIXED_POINTS", "ADJUSTED_POINTS", "POINT_LABELS", "SLOPE_DISTANCE",
    "HORIZONTAL_DISTANCE", "HEIGHT_DIFFERENCE", "ZENITH_ANGLE", "DIRECTION",
    "GYRO_DIRECTION", "PLUMBING", "POINT_ELLIPSES", "HEIGHT_BARS",
    "RELATIVE_ELLIPSES", "TOLERANCE_MARKS", "LEGEND",
]
TOL_M = 1e-6

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def run(batch, args):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    p = subprocess.run([batch] + args, capture_output=True, text=True, timeout=240, env=env)
    return p.returncode, p.stdout, p.stderr


def read_coordinates(path):
    """number -> (X, Y, Z, fixed) from the full coordinate format."""
    points = {}
    with open(path, encoding="cp1250") as f:
        for line in f:
            parts = line.split()
            if len(parts) < 7 or line.lstrip().startswith("#"):
                continue
            points[float(parts[0])] = (float(parts[1]), float(parts[2]), float(parts[3]),
                                       parts[6] == "f")
    return points


def results_table(stdout):
    """Rows of the printed results table: number -> list of the 16 cells."""
    lines = stdout.splitlines()
    start = next(i for i, l in enumerate(lines) if "X/m" in l and "s(x)/mm" in l)
    rows = {}
    for line in lines[start + 1:]:
        cells = line.split()
        if len(cells) != 16:
            break
        rows[float(cells[0])] = cells
    return rows


def read_csv(path):
    with open(path, encoding="utf-8", newline="") as f:
        text = f.read()
    return text, list(csv.reader(io.StringIO(text, newline="")))


def gon_difference(a, b):
    """Difference of two axis bearings (gon, an axis has no sign)."""
    d = (a - b) % 200.0
    return min(d, 200.0 - d)


def case_sample(batch, coords, meas, tmp):
    import ezdxf
    dxf_path, csv_path = os.path.join(tmp, "shaft.dxf"), os.path.join(tmp, "shaft.csv")
    code, out, err = run(batch, ["--mode", "1", "--workdir", os.path.join(tmp, "run"),
                                 "--dxf", dxf_path, "--points-csv", csv_path, coords, meas])
    if not check(code == 0, "exit %d: %s" % (code, err)):
        return
    check("korvadimensio3d-batch:" not in err, "messages: " + err)
    inputs = read_coordinates(coords)
    _, rows = read_csv(csv_path)
    printed = {float(r[0]): r for r in rows[1:]}

    doc = ezdxf.readfile(dxf_path)
    check(doc.dxfversion >= "AC1015", "version " + doc.dxfversion)
    auditor = doc.audit()
    check(not auditor.has_errors, "audit errors: %s" % [str(e.message) for e in auditor.errors])
    check(not auditor.has_fixes, "audit fixes: %s" % [str(e.message) for e in auditor.fixes])
    names = {layer.dxf.name for layer in doc.layers}
    for name in LAYERS:
        check(name in names, "layer %s missing" % name)
    check(doc.header.get("$INSUNITS") == 6, "units are not metres")

    msp = doc.modelspace()
    # Points: all twelve, on their layers, at the input's coordinates with
    # CAD x = Y and CAD y = X, Z kept.
    dxf_points = msp.query("POINT")
    check(len(dxf_points) == 12, "%d points" % len(dxf_points))
    found = set()
    for e in dxf_points:
        x, y, z = e.dxf.location
        match = [n for n, (X, Y, Z, _) in inputs.items()
                 if abs(y - X) <= TOL_M and abs(x - Y) <= TOL_M and abs(z - Z) <= TOL_M]
        if check(len(match) == 1, "point at %r matches %r" % ((x, y, z), match)):
            n = match[0]
            found.add(n)
            layer = "FIXED_POINTS" if inputs[n][3] else "ADJUSTED_POINTS"
            check(e.dxf.layer == layer, "point %g on %s" % (n, e.dxf.layer))
    check(found == set(inputs), "points drawn: %s" % sorted(found))
    labels = {t.dxf.text for t in msp.query('TEXT[layer=="POINT_LABELS"]')}
    check(labels == {"%g" % n for n in inputs}, "labels %s" % sorted(labels))

    # The magnification and the level stated in the legend.
    legend = " ".join(t.dxf.text for t in msp.query('TEXT[layer=="LEGEND"]'))
    m = re.search(r"ellipses (?:\u00d7|\\U\+00D7) (\d+(?:\.\d+)?) \(standard ellipses\)", legend)
    if not check(m is not None, "no magnification in the legend: " + legend):
        return
    magnification = float(m.group(1))
    check("confidence level: standard" in legend, "no level in the legend: " + legend)

    # Ellipses: one per adjusted point, centred on it, semi-axes equal to the
    # printed ones times the magnification, major axis at the printed bearing.
    ellipses = msp.query('ELLIPSE[layer=="POINT_ELLIPSES"]')
    check(len(ellipses) == 9, "%d point ellipses" % len(ellipses))
    unmatched = {n for n, p in inputs.items() if not p[3]}

    def fits(e, n):
        """Whether ellipse e is the printed one of point n: semi-axes, bearing."""
        row = printed[n]
        a_mm, b_mm, bearing = float(row[8]), float(row[9]), float(row[10])
        mx, my, _ = e.dxf.major_axis
        major = math.hypot(mx, my)
        minor = major * e.dxf.ratio
        # CAD x is Y and CAD y is X: the bearing from +X towards +Y.
        drawn = math.degrees(math.atan2(mx, my)) / 0.9
        return (abs(major - a_mm * magnification / 1000) <= TOL_M
                and abs(minor - b_mm * magnification / 1000) <= TOL_M
                and (a_mm - b_mm < 1e-6 or gon_difference(drawn, bearing) < 1e-3))

    for e in ellipses:
        cx, cy, _ = e.dxf.center
        # Points above each other (plumbing) share a centre.
        at = [n for n in unmatched
              if abs(cy - inputs[n][0]) <= TOL_M and abs(cx - inputs[n][1]) <= TOL_M]
        match = [n for n in at if fits(e, n)]
        if check(match, "ellipse at %r (semi-major %.9f m, ratio %.9f) fits none of %r" %
                 ((cx, cy), e.dxf.major_axis.magnitude,
                  e.dxf.ratio, [printed[n][8:11] for n in at])):
            unmatched.discard(match[0])
        check(abs(e.dxf.start_param) < 1e-12 and abs(e.dxf.end_param - 2 * math.pi) < 1e-9,
              "not a whole ellipse")
    check(not unmatched, "points without their ellipse: %r" % sorted(unmatched))

    # Height bars: a bar of 2 sigma Z (times the magnification) per point.
    bars = [l for l in msp.query('LINE[layer=="HEIGHT_BARS"]')
            if abs(l.dxf.start[0] - l.dxf.end[0]) < 1e-12]
    check(len(bars) == 9, "%d height bars" % len(bars))
    lengths = sorted(abs(l.dxf.end[1] - l.dxf.start[1]) for l in bars)
    expected = sorted(2 * float(r[7]) * magnification / 1000 for r in rows[1:] if r[4] == "adjusted")
    check(all(abs(a - b) <= TOL_M for a, b in zip(lengths, expected)), "height bar lengths")

    # Colours of the legend: layers carry the plan's colours as true colours
    # with the nearest index.
    ellipse_layer = doc.layers.get("POINT_ELLIPSES")
    check(ellipse_layer.rgb == (0, 70, 220), "ellipse layer colour %r" % (ellipse_layer.rgb,))
    check(1 <= ellipse_layer.color <= 255, "ellipse layer index %r" % ellipse_layer.color)

    # Lines: one per measured pair and type, coloured by the weakest
    # redundancy number of that type's observations (observation table of
    # the run kept in --workdir).
    weakest = {}
    kinds = {"s-distance": "SLOPE_DISTANCE", "distance": "HORIZONTAL_DISTANCE",
             "dh": "HEIGHT_DIFFERENCE", "z-angle": "ZENITH_ANGLE", "direction": "DIRECTION",
             "dx": "PLUMBING", "dy": "PLUMBING", "dz": "PLUMBING"}
    with open(os.path.join(tmp, "run", "network.obs.csv"), newline="") as f:
        for row in csv.DictReader(f):
            if row["rejected"] not in ("", "0") or row["type"] not in kinds:
                continue
            try:
                pair = frozenset((float(row["from"]), float(row["to"])))
            except ValueError:
                continue  # the reference of a gyro direction
            key = (kinds[row["type"]], pair)
            weakest[key] = min(weakest.get(key, 2.0), float(row["redundancy"]))

    def points_at(x, y):
        return [n for n, (X, Y, _, _) in inputs.items()
                if abs(y - X) <= TOL_M and abs(x - Y) <= TOL_M]

    def colour_of(r):
        return (220, 0, 0) if r < 0.1 else (240, 140, 0) if r < 0.3 else None

    coloured = 0
    for layer in set(kinds.values()):
        for line in msp.query('LINE[layer=="%s"]' % layer):
            ends_a = points_at(line.dxf.start.x, line.dxf.start.y)
            ends_b = points_at(line.dxf.end.x, line.dxf.end.y)
            # Points above each other (plumbing) share a place on the plan:
            # the line belongs to one of the pairs there.
            rs = [weakest[(layer, frozenset((a, b)))] for a in ends_a for b in ends_b
                  if a != b and (layer, frozenset((a, b))) in weakest]
            where = "line %r-%r on %s" % (ends_a, ends_b, layer)
            if not check(rs, where + " has no observation"):
                continue
            have = line.rgb if line.dxf.hasattr("true_color") else None
            check(have in [colour_of(r) for r in rs], "%s (r = %r): colour %r" % (where, rs, have))
            coloured += have is not None
    print("lines in a reliability colour:", coloured)
    print("magnification:", magnification)


def case_axes(batch, coords, meas, tmp):
    import ezdxf
    path = os.path.join(tmp, "xy.DXF")
    code, out, err = run(batch, ["--dxf-axes", "xy", "--dxf", path, coords, meas])
    if not check(code == 0, "exit %d: %s" % (code, err)):
        return
    inputs = read_coordinates(coords)
    doc = ezdxf.readfile(path)
    for e in doc.modelspace().query("POINT"):
        x, y, z = e.dxf.location
        check(any(abs(x - X) <= TOL_M and abs(y - Y) <= TOL_M and abs(z - Z) <= TOL_M
                  for X, Y, Z, _ in inputs.values()), "xy point at %r" % ((x, y, z),))
    legend = " ".join(t.dxf.text for t in doc.modelspace().query('TEXT[layer=="LEGEND"]'))
    check("CAD x = X, CAD y = Y" in legend, "axes not stated: " + legend)


def case_csv(batch, coords, meas, tmp):
    inputs = read_coordinates(coords)
    results = {}
    for level in ("standard", "95"):
        path = os.path.join(tmp, "points-%s.csv" % level)
        code, out, err = run(batch, ["--confidence", level, "--points-csv", path, coords, meas])
        if not check(code == 0, "exit %d: %s" % (code, err)):
            return
        raw = open(path, "rb").read()
        text, rows = read_csv(path)
        # Written back by the csv module, the file is the same bytes.
        again = io.StringIO(newline="")
        csv.writer(again, lineterminator="\r\n").writerows(rows)
        check(again.getvalue().encode("utf-8") == raw, "the file does not round-trip")
        check(not raw.startswith(b"\xef\xbb\xbf"), "byte order mark")
        header = rows[0]
        check(len(header) == 11 and header[:5] == ["number", "X/m", "Y/m", "Z/m", "fixed/adjusted"],
              "header %r" % header)
        tag = "(standard)" if level == "standard" else "(95 %)"
        check(header[5] == "\u03c3X/mm " + tag and header[8] == "a/mm " + tag
              and header[10] == "bearing of a/gon", "header %r" % header)
        check(len(rows) == 13 and all(len(r) == 11 for r in rows), "rows %r" % rows)
        check([float(r[0]) for r in rows[1:]] == list(inputs), "point order")
        table = results_table(out)
        for r in rows[1:]:
            n = float(r[0])
            fixed = inputs[n][3]
            check(r[4] == ("fixed" if fixed else "adjusted"), "point %s: %s" % (r[0], r[4]))
            if fixed:
                check(r[5:] == [""] * 6, "fixed point %s has precision %r" % (r[0], r[5:]))
                check(all(abs(float(v) - c) <= 5e-7 for v, c in zip(r[1:4], inputs[n][:3])),
                      "fixed point %s moved" % r[0])
                continue
            cells = table[n]
            # Coordinates as printed, standard deviations as printed (three
            # decimals) once the level is taken out.
            check(r[1:4] == cells[1:4], "point %s: %r against %r" % (r[0], r[1:4], cells[1:4]))
            k = 1.0 if level == "standard" else 1.959963984540054
            for v, c in zip(r[5:8], cells[4:7]):
                check(abs(float(v) / k - float(c)) <= 0.0005 + 1e-9,
                      "point %s: sigma %s against %s" % (r[0], v, c))
        results[level] = {float(r[0]): r for r in rows[1:]}
    # The 95 % ellipse is the standard one times 2.4477, at the same bearing.
    for n, r in results["standard"].items():
        if r[4] != "adjusted":
            continue
        q = results["95"][n]
        for i in (8, 9):
            check(abs(float(q[i]) - 2.447746830680816 * float(r[i])) <= 2e-6,
                  "point %g: 95 %% axis %s against %s" % (n, q[i], r[i]))
        check(q[10] == r[10], "point %g: bearing changes with the level" % n)


def case_refusals(batch, coords, meas, tmp):
    def refused(args, text, leaves=()):
        code, out, err = run(batch, args + [coords, meas])
        check(code == 1, "%r: exit %d" % (args, code))
        check(text in err, "%r: message %r lacks %r" % (args, err, text))
        for path in leaves:
            check(not os.path.exists(path), "%r left %s" % (args, path))

    dxf, table = os.path.join(tmp, "plan.dxf"), os.path.join(tmp, "table.txt")
    refused(["--dxf", os.path.join(tmp, "plan.dwg")], "the name must end in .dxf",
            [os.path.join(tmp, "plan.dwg")])
    refused(["--points-csv", os.path.join(tmp, "points.txt")], "the name must end in .csv",
            [os.path.join(tmp, "points.txt")])
    refused(["--dxf-axes", "ne", "--dxf", dxf], "--dxf-axes takes xy or yx", [dxf])
    refused(["--dxf", os.path.join(tmp, "no", "plan.dxf")], "does not exist")
    refused(["--dxf", dxf, "--dxf", os.path.join(tmp, "b.dxf")], "given twice", [dxf])
    refused(["--points-csv", os.path.join(tmp, "p.csv"), "--table", os.path.join(tmp, "p.csv")],
            "name the same file", [os.path.join(tmp, "p.csv")])
    refused(["--dxf", os.path.join(tmp, "r.dxf"), "--workdir", tmp, "--cov",
             os.path.join(tmp, "r.dxf")], "name the same file")
    # A name equal to an input, by another spelling: refused, the input kept.
    before = open(coords, "rb").read()
    linked = os.path.join(tmp, "coords.csv")
    os.symlink(os.path.abspath(coords), linked)
    refused(["--points-csv", linked], "is one of the input files")
    check(open(coords, "rb").read() == before, "the coordinate file changed")
    # The run's own files cannot be outputs.
    refused(["--workdir", tmp, "--points-csv", os.path.join(tmp, "network.obs.csv")],
            "is a file of the run itself")

    # A folder that cannot be written: the evaluation runs, the export fails
    # with the system's reason and leaves no file, not even a temporary one.
    unwritable = [os.path.join("/proc", "korvadimensio3d-test.dxf")]
    ro = os.path.join(tmp, "ro")
    os.mkdir(ro)
    os.chmod(ro, 0o500)
    if not os.access(ro, os.W_OK):  # root writes anyway
        unwritable.append(os.path.join(ro, "plan.dxf"))
    for path in unwritable:
        code, out, err = run(batch, ["--dxf", path, "--points-csv", path[:-4] + ".csv", coords, meas])
        check(code == 1, "%s: exit %d" % (path, code))
        check("cannot write the DXF file " + path in err, "%s: %r" % (path, err))
        check("cannot write the points file " + path[:-4] + ".csv" in err, "%s: %r" % (path, err))
        check(not os.path.exists(path) and not os.path.exists(path[:-4] + ".csv"), "left " + path)
    check(os.listdir(ro) == [], "left in the read-only folder: %r" % os.listdir(ro))
    os.chmod(ro, 0o700)


def main():
    case, batch, coords, meas = sys.argv[1:5]
    if case in ("sample", "axes"):
        try:
            import ezdxf  # noqa: F401
        except ImportError:
            print("python3-ezdxf is missing (install it: .ci/setup)")
            return 1
    with tempfile.TemporaryDirectory(prefix="kd-exports-") as tmp:
        {"sample": case_sample, "axes": case_axes, "csv": case_csv,
         "refusals": case_refusals}[case](batch, coords, meas, tmp)
    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
