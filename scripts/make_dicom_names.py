#!/usr/bin/python3
"""Writes DICOM's UID registry (PS3.6 Annex A) as a Pellamar names file.

The facts come from pydicom's dictionary (Debian's python3-pydicom), so
that running this again brings the file up to date:

    scripts/make_dicom_names.py > data/names/dicom.names

Each UID's name is its keyword (ImplicitVRLittleEndian); its description
is the registry's name and type, and "retired" where it is. UIDs without a
keyword have their registry name made into one.
"""
import re
import sys

import pydicom
from pydicom._uid_dict import UID_dictionary


def keyword_of(uid, name, keyword):
    if keyword:
        return keyword
    words = re.findall(r"[A-Za-z0-9]+", name)
    made = "".join(word[:1].upper() + word[1:] for word in words)
    return made or "DicomUid" + uid.replace(".", "_")


def main():
    out = sys.stdout
    out.write("# DICOM's UID registry (PS3.6 Annex A), from pydicom %s.\n" % pydicom.__version__)
    out.write("# Made by scripts/make_dicom_names.py: change the script, not this file.\n")
    for uid in sorted(UID_dictionary, key=lambda text: [int(arc) for arc in text.split(".")]):
        name, kind, info, retired, keyword = UID_dictionary[uid]
        description = " ".join(part for part in (name, "(%s)" % kind if kind else "") if part)
        if info:
            description += ": " + info
        if retired:
            description += ", retired"
        out.write("%s\tDICOM::%s\t%s\n" % (uid, keyword_of(uid, name, keyword), description))


if __name__ == "__main__":
    main()
