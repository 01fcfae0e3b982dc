#!/usr/bin/python3
"""The viewer and the main window driven from outside, as a user and a screen reader meet
them: the real program on a virtual 1280x1024 screen through the accessibility bus, real
clicks and keys, screenshots compared with ImageMagick.

    outside_viewer.py DRIVER_DIR BIN_DIR DATA_DIR

Converts an EPW year of DATA_DIR whose description is its long LOCATION line with the
built tolvex, opens it through File > View Weather File... and checks that the first
whole-period picture equals the one drawn after Zoom goes to Month and back, that the
viewer fits the screen, that "Next >" is disabled on December, and the roles and names
a screen reader gets.  Exit status 0 when all hold, 1 on the first that does not, 77
(skipped) when the driver, its packages or the data are missing.
"""
import os
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
driver_dir, bin_dir, data_dir = sys.argv[1:4]
source = os.path.join(data_dir, "epw", "USA_CO_Aspen-Pitkin.County-Sardy.Field.724676_TMY3.epw")
if not os.path.isfile(os.path.join(driver_dir, "driver.py")) or not os.path.isfile(source):
    print("skipped: no gui-driver or no shared weather data")
    sys.exit(SKIP)
missing = [p for p in ("Xvfb", "xdotool", "import", "compare", "dbus-daemon") if not shutil.which(p)]
if missing:
    print("skipped: %s not installed" % ", ".join(missing))
    sys.exit(SKIP)
sys.path.insert(0, driver_dir)
try:
    from driver import Session, GuiError
except Exception as e:  # noqa: BLE001 - pyatspi or the driver's packages are missing
    print("skipped: %s" % e)
    sys.exit(SKIP)

failures = []


def check(ok, what):
    print("%s %s" % ("ok  " if ok else "FAIL", what))
    if not ok:
        failures.append(what)


def differing_pixels(a, b):
    r = subprocess.run(["compare", "-metric", "AE", a, b, "null:"], capture_output=True, text=True)
    try:
        return int(float(r.stderr.split()[0]))
    except (ValueError, IndexError):
        return -1


work = tempfile.mkdtemp(prefix="outside-viewer-")
with open(source, "rb") as f:
    location = f.readline().decode("latin-1").rstrip("\r\n")
with open(os.path.join(work, "year.dat"), "w", newline="") as f:
    f.write("\r\n".join([location, source, "E/E", "year.wth", "01/01 12/31", " 1 ", " 0 ",
                         "03/25 10/28"]) + "\r\n")
if subprocess.run([os.path.join(bin_dir, "tolvex"), "--log", "/dev/null", "year.dat"], cwd=work,
                  capture_output=True).returncode != 0:
    print("FAIL tolvex could not convert %s" % source)
    sys.exit(1)

try:
    with Session(screen="1280x1024x24", artifacts=work) as s:
        app = s.launch([os.path.join(bin_dir, "weather-tools")], cwd=work)
        # Names compared whole: the driver's own matching forgives blanks.
        add = app.find("push button", lambda n: n.strip() == "Add")
        check(add.name == "Add", "Add is named without its caption's blank: %r" % add.name)
        special = app.find("panel", "Special Days")
        names = [b.name for b in app.find_all("push button", within=special)]
        check(sorted(n for n in names if not n.isdigit()) == ["Add", "Next", "Previous", "Remove"]
              and len([n for n in names if n.isdigit()]) == 31,
              "the calendar shows January's 31 days and no blank cell: %s" % names)

        app.menu("File", "View Weather File...")
        app.choose_file(os.path.join(work, "year.wth"))
        viewer = app.find("frame", "Weather File - year.wth", timeout=10)
        x, y, w, h = app.extents(viewer)
        check(x >= 0 and y >= 0 and x + w <= 1280 and y + h <= 1024,
              "the viewer fits the screen (%dx%d at %d,%d)" % (w, h, x, y))
        charts = app.find_all("chart", within=viewer)
        check(sorted(app.text_of(c) or c.name for c in charts) ==
              ["Humidity ratio", "Radiation", "Rain and snow", "Temperature"],
              "the panels are charts named by their quantity: %s" % [c.name for c in charts])
        check(all(c.description.startswith("1/1 00:00 to 12/31 24:00: ") for c in charts),
              "each panel is described by its span and values: %r" % (charts[0].description if charts else ""))
        check(bool(app.find_all("table", "Monthly Summary", within=viewer, showing=False)),
              "the summary table is named")

        # The plot's picture before and after Zoom goes to Month and back.
        first = os.path.join(work, "first.png")
        again = os.path.join(work, "again.png")
        app.screenshot(first, app.find("chart", "Temperature", within=viewer))
        zoom = app.find("combo box", label="Zoom", within=viewer)
        app.set_combo(zoom, "Month")
        app.set_combo(zoom, "Whole period")
        app.wait_until(lambda: True, 0.5, "the redraw")
        app.screenshot(again, app.find("chart", "Temperature", within=viewer))
        check(differing_pixels(first, again) == 0,
              "the first whole-period picture equals the one after Month and back")

        app.set_combo(zoom, "Month")
        nxt = app.find("push button", "Next >", within=viewer)
        for _ in range(11):
            app.click(nxt)
        app.wait_state(nxt, "enabled", False, quiet=True)
        check(not app.is_enabled(nxt), '"Next >" is disabled on December')
        check(app.is_enabled(app.find("push button", "< Previous", within=viewer)),
              '"< Previous" is enabled on December')

        app.key("F1")
        helpw = app.find("frame", lambda n: n.startswith("Weather Help"), timeout=5)
        page = app.find_all("document frame", within=helpw)
        check(len(page) == 1, "the help window is a frame holding a document")
        check(bool(page) and "Viewing a Weather File" in (app.text_of(page[0]) or ""),
              "F1 in the viewer shows its help page")
except GuiError as e:
    print("FAIL %s; screenshots and logs in %s" % (str(e).splitlines()[0], work))
    sys.exit(1)

if failures:
    print("%d failed; screenshots and logs in %s" % (len(failures), work))
    sys.exit(1)
shutil.rmtree(work, ignore_errors=True)
