#!/usr/bin/env python3
"""Every example of pellamar-cli in the README and the manual page, run as
it is written, in one folder and in order: what each shows must be the
program's own output, standard error included. A line "..." stands for any
lines.

The examples need these sources of names, which the test gives: OpenSSL's
table; dumpasn1's file (package dumpasn1); the LDAP schemas of slapd
(package slapd); and, in place of the IETF's IF-MIB from Debian's non-free
archive (package snmp-mibs-downloader), a small IF-MIB of the test's own,
whose file name is shown where the IETF's would be. An example that needs a
tool the machine lacks (jq, openssl) is skipped, naming its package.

Arguments: the program, the README, the manual page's source."""

import os
import re
import shutil
import subprocess
import sys
import tempfile

SYSTEM_MIBS = "/usr/share/snmp/mibs/ietf"
TOOLS = {"jq": "jq", "openssl": "openssl"}


def readme_examples(path):
    """The console block of the README's pellamar-cli section."""
    text = open(path, encoding="utf-8").read()
    section = text[text.index("## pellamar-cli") :]
    block = section[section.index("```console\n") + len("```console\n") :]
    return block[: block.index("```")].splitlines()


def manual_examples(path):
    """The EXAMPLES of the manual page's source, as man shows them."""
    text = open(path, encoding="utf-8").read()
    block = text[text.index("[EXAMPLES]") :]
    block = block[block.index(".nf\n") + 4 : block.index(".fi\n")]
    return [line.replace("\\-", "-").replace("\\e", "\\") for line in block.splitlines()]


def examples(lines):
    """(command, expected lines) for each "$ " line and what follows it, up
    to the next command or blank line."""
    found = []
    for line in lines:
        if line.startswith("$ "):
            found.append((line[2:], []))
        elif line.strip() and found:
            found[-1][1].append(line)
    return found


def matches(output, expected):
    """Whether the output lines are the expected ones, "..." standing for
    any lines."""
    if not expected:
        return not output
    if expected[0].strip() == "...":
        return any(matches(output[skip:], expected[1:]) for skip in range(len(output) + 1))
    return bool(output) and output[0] == expected[0] and matches(output[1:], expected[1:])


def main():
    program, readme, manual = sys.argv[1:4]
    here = os.path.dirname(os.path.abspath(__file__))
    work = tempfile.mkdtemp()
    try:
        os.makedirs(os.path.join(work, "bin"))
        os.symlink(os.path.abspath(program), os.path.join(work, "bin", "pellamar-cli"))
        mibs = os.path.join(work, "mibs")
        os.makedirs(mibs)
        for module in ("IF-MIB", "SNMPv2-SMI"):
            shutil.copy(os.path.join(here, "data", "names", "mibs", module), mibs)
        environment = dict(os.environ)
        environment.update(
            PATH=os.path.join(work, "bin") + ":" + os.environ["PATH"],
            HOME=work,
            XDG_CONFIG_HOME=os.path.join(work, "config"),
            XDG_CACHE_HOME=os.path.join(work, "cache"),
            MIBDIRS=mibs,
            PELLAMAR_ENTERPRISES="",
            LC_ALL="C.UTF-8",
        )
        passed = failed = 0
        for source, lines in (("README", readme_examples(readme)), ("manual", manual_examples(manual))):
            for command, expected in examples(lines):
                missing = [tool for tool in TOOLS if re.search(r"\b%s\b" % tool, command) and not shutil.which(tool)]
                if missing:
                    print("skipped %s example '%s': %s is not installed (package %s)"
                          % (source, command, missing[0], TOOLS[missing[0]]))
                    continue
                run = subprocess.run(["bash", "-c", command], cwd=work, env=environment,
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
                output = run.stdout.decode("utf-8", "replace").replace(mibs, SYSTEM_MIBS).splitlines()
                if matches(output, expected):
                    passed += 1
                else:
                    failed += 1
                    print("FAILED %s example '%s'" % (source, command))
                    print("  output:\n    " + "\n    ".join(output))
                    print("  shown:\n    " + "\n    ".join(expected))
        print("%d passed, %d failed" % (passed, failed))
        return 1 if failed else 0
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    sys.exit(main())
