#!/usr/bin/env python3
"""Writes OUTPUT: SOURCE (a third-party file) with PATCH, a unified diff of it, applied.

    patch-copy.py SOURCE PATCH OUTPUT

Each hunk must name one place in SOURCE: the lines it replaces (its context
and its removed lines) must stand in SOURCE exactly once, at the line its
header gives. Hunks are matched against SOURCE as it is, never against lines
an earlier hunk put in, and may not overlap. GNU patch then applies the diff
with no fuzz; an offset or fuzz it reports is refused as well. Anything else
stops with a message naming the patch and the source, and OUTPUT is left as
it was. GNU patch is $SELVANE_PATCH, or patch on the PATH. OUTPUT is
rewritten only when its content changes (so a configure
step that runs again rebuilds nothing).

Third-party sources may end their lines with CR LF: the copy, and the lines
the diff is matched against, end them with LF.
"""
import os
import re
import subprocess
import sys
import tempfile

HUNK_HEADER = re.compile(r"^@@ -(\d+)(?:,(\d+))? \+(\d+)(?:,(\d+))? @@")


class PatchError(Exception):
    pass


def read_lines(path):
    with open(path, "rb") as f:
        text = f.read().decode("utf-8")
    return text.replace("\r\n", "\n").split("\n")


def hunks_of(patch_lines):
    """Yields (number, first line in the source, the lines it replaces) for each hunk."""
    number = 0
    lines = iter(patch_lines)
    for line in lines:
        match = HUNK_HEADER.match(line)
        if not match:
            continue
        number += 1
        start = int(match.group(1))
        old_left = int(match.group(2) or 1)
        new_left = int(match.group(4) or 1)
        old = []
        while old_left > 0 or new_left > 0:
            line = next(lines, None)
            if line is None:
                raise PatchError("hunk %d ends before the lines its header counts" % number)
            kind, text = (line[:1] or " "), line[1:]  # an empty context line may have lost its space
            if kind == "\\":
                continue  # "\ No newline at end of file"
            if kind in " -":
                old.append(text)
                old_left -= 1
            if kind in " +":
                new_left -= 1
            if kind not in " -+":
                raise PatchError("hunk %d: a line that is neither context, removed nor added" % number)
        yield number, start, old


def places(source, block):
    """The 1-based lines of source at which block stands."""
    found = []
    first = block[0] if block else None
    for i in range(len(source) - len(block) + 1):
        if source[i] == first and source[i:i + len(block)] == block:
            found.append(i + 1)
    return found


def check(source_path, patch_path, source, patch_lines):
    name = os.path.basename(patch_path)
    previous_end = 0
    count = 0
    try:
        hunks = list(hunks_of(patch_lines))
    except PatchError as error:
        raise PatchError("%s: %s" % (name, error))
    for number, start, old in hunks:
        count += 1
        where = "%s, hunk %d (line %d of %s)" % (name, number, start, source_path)
        if not old:
            raise PatchError("%s: the hunk replaces no line, so it names no place" % where)
        found = places(source, old)
        if not found:
            raise PatchError("%s: its text is not in the source (a different version?)" % where)
        if len(found) > 1:
            raise PatchError("%s: its text stands %d times in the source (at lines %s): "
                             "give it the context that names one place" % (where, len(found), ", ".join(map(str, found))))
        if found[0] != start:
            raise PatchError("%s: its text stands at line %d, not where the hunk says "
                             "(a different version?)" % (where, found[0]))
        if start <= previous_end:
            raise PatchError("%s: it overlaps the hunk before it" % where)
        previous_end = start + len(old) - 1
    if count == 0:
        raise PatchError("%s: no hunk in it" % name)


def apply(source_path, patch_path, output_path):
    source = read_lines(source_path)
    with open(patch_path, encoding="utf-8") as f:
        patch_lines = f.read().split("\n")
    check(source_path, patch_path, source, patch_lines)

    with tempfile.TemporaryDirectory() as work:
        plain = os.path.join(work, "source")
        patched = os.path.join(work, "patched")
        with open(plain, "w", encoding="utf-8", newline="\n") as f:
            f.write("\n".join(source))
        result = subprocess.run([os.environ.get("SELVANE_PATCH", "patch"), "--fuzz=0", "--batch", "--forward", "--no-backup-if-mismatch",
                                 "--reject-file=-", "-o", patched, plain, patch_path],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        said = result.stdout.strip()
        if result.returncode != 0 or re.search(r"offset|fuzz|FAILED|ignored", said, re.IGNORECASE):
            raise PatchError("%s: patch did not apply cleanly to %s: %s"
                             % (os.path.basename(patch_path), source_path, said or "exit %d" % result.returncode))
        with open(patched, encoding="utf-8") as f:
            text = f.read()

    if os.path.exists(output_path):
        with open(output_path, encoding="utf-8") as f:
            if f.read() == text:
                return
    os.makedirs(os.path.dirname(os.path.abspath(output_path)), exist_ok=True)
    with open(output_path + ".new", "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    os.replace(output_path + ".new", output_path)


def main(argv):
    if len(argv) != 4:
        print("usage: patch-copy.py SOURCE PATCH OUTPUT", file=sys.stderr)
        return 2
    source_path, patch_path, output_path = argv[1:]
    for path in (source_path, patch_path):
        if not os.path.isfile(path):
            print("patch-copy.py: %s: not found (is its Debian package installed?)" % path, file=sys.stderr)
            return 1
    try:
        apply(source_path, patch_path, output_path)
    except PatchError as error:
        print("patch-copy.py: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
