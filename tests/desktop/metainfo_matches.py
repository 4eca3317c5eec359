# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop entry, the AppStream metadata, the icons and the package agree:
# what the validators cannot see, because each reads one file.
#   metainfo_matches.py SOURCE_DIR APP_ID PROJECT_VERSION
import configparser
import os
import re
import sys
import xml.etree.ElementTree as ET

source, app_id, version = sys.argv[1:4]
data = os.path.join(source, "data")
faults = []


def check(condition, message):
    if not condition:
        faults.append(message)


entry = configparser.ConfigParser(interpolation=None)
entry.optionxform = str
entry.read(os.path.join(data, app_id + ".desktop"), encoding="utf-8")
desktop = entry["Desktop Entry"]
meta = ET.parse(os.path.join(data, app_id + ".metainfo.xml")).getroot()

check(meta.findtext("id") == app_id, f"metainfo id is not {app_id}")
check(meta.findtext("launchable") == app_id + ".desktop", "launchable is not the desktop entry")
check(desktop["Icon"] == app_id, "the desktop entry's icon is not named by the app id")
for icon in (app_id + ".svg", app_id + "-48.png"):
    check(os.path.isfile(os.path.join(data, icon)), f"no icon {icon}")

# Software centres cut longer summaries.
for summary in meta.findall("summary"):
    check(len(summary.text) <= 35, f"summary longer than 35 characters: {summary.text!r}")

mime = [m for m in desktop["MimeType"].split(";") if m]
provided = [m.text for m in meta.iter("mediatype")]
check(sorted(mime) == sorted(provided), f"MimeType {mime} but <provides> {provided}")
check("%F" in desktop["Exec"].split(), "Exec does not take files (%F)")
binaries = [b.text for b in meta.iter("binary")]
check(binaries == ["vellora-carnetique-97"], f"<provides> binaries {binaries}")

for image in meta.iter("image"):
    name = image.text.rsplit("/", 1)[-1]
    check(os.path.isfile(os.path.join(source, "docs", "screenshots", name)),
          f"screenshot {name} is not in docs/screenshots")

# One version everywhere: the build, the newest release and the package.
release = meta.find("releases/release").get("version")
with open(os.path.join(source, "debian", "changelog"), encoding="utf-8") as f:
    package = re.match(r"\S+ \(([^)]+)\)", f.readline()).group(1)
check(release == version, f"newest release {release}, build version {version}")
check(package == version, f"package version {package}, build version {version}")

for fault in faults:
    print("FAIL:", fault)
sys.exit(1 if faults else 0)
