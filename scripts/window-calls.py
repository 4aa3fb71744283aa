#!/usr/bin/env python3
"""The calls between the window's files, and a check that they form no circle.

    window-calls.py <window folder>

Each skivler_*.cpp defines some of the window's members (Skivler::name). A
file depends on another when it calls a member the other defines, or takes
its address (connect(..., &Skivler::name)). The script prints each file's
dependencies and fails when the files depend on each other around a circle:
the handlers call the shared routines, never the other way round, and only
the wiring reaches the handlers.

It reads the code as text: comments and string literals are dropped, and a
name called on another object (box->setText) is not a call of the window's
own member.
"""
import pathlib
import re
import sys

DEFINITION = re.compile(r"^[\w:<>,*& ]*?\bSkivler::(~?\w+)\(", re.MULTILINE)
COMMENTS = re.compile(r"//[^\n]*|/\*.*?\*/", re.DOTALL)
STRINGS = re.compile(r'"(?:\\.|[^"\\])*"')


def code_of(path):
    return STRINGS.sub('""', COMMENTS.sub("", path.read_text()))


def uses(code, name):
    """Whether the code calls the window's member `name` or takes its address."""
    for match in re.finditer(r"(->|\.|::|&Skivler::)?\b" + re.escape(name) + r"\b\s*(\()?", code):
        before, call = match.group(1), match.group(2)
        if before == "&Skivler::":
            return True
        if call and (before is None or code[: match.start()].endswith("this->")):
            return True
    return False


def main():
    folder = pathlib.Path(sys.argv[1])
    files = sorted(folder.glob("skivler_*.cpp"))
    codes = {f.name: code_of(f) for f in files}
    defined = {name: set(DEFINITION.findall(code)) for name, code in codes.items()}
    depends = {}
    for name, code in codes.items():
        body = DEFINITION.sub("", code)  # a definition is no call
        depends[name] = sorted(
            other
            for other, members in defined.items()
            if other != name and any(uses(body, member) for member in members)
        )
    for name in codes:
        print(f"{name} -> {', '.join(depends[name]) or '(none)'}")

    # A depth-first walk: a file met again while its own walk is open closes a circle.
    state = {}
    path = []

    def walk(name):
        state[name] = "open"
        path.append(name)
        for other in depends[name]:
            if state.get(other) == "open":
                circle = path[path.index(other):] + [other]
                sys.exit("circle: " + " -> ".join(circle))
            if other not in state:
                walk(other)
        path.pop()
        state[name] = "done"

    for name in codes:
        if name not in state:
            walk(name)
    print("no circle among", len(codes), "files")


if __name__ == "__main__":
    main()
