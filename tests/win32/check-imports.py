#!/usr/bin/env python3
"""check-imports.py TABLE FILE[=VERSION]...: every function each PE file imports exists on
Windows 95 (with the common controls and C runtime of a 1997 system update), 98, ME, 2000
and XP, as the reviewed TABLE says.

Fails on an import the table does not list, a function the table dates after Windows 95 or
after Windows 2000, an import by ordinal, a DLL that Windows 98 does not ship, and a
subsystem or operating system version in the optional header above 4.0 (the newest that
Windows 95 starts). A layout library is loaded only by the system it is for: FILE=5.0
raises that limit for it.
"""
import re
import subprocess
import sys

OBJDUMP = "i686-w64-mingw32-objdump"
NT_ORDER = ["3.1", "3.5", "3.51", "4.0", "2000", "XP", "2003", "Vista", "7", "-"]
WIN9X_ORDER = ["95", "98", "ME", "-"]


def LoadTable(path):
    """(dll, function) -> (9x, NT, source); dll rows have function '*'."""
    table = {}
    problems = []
    with open(path, encoding="ascii") as lines:
        for number, line in enumerate(lines, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            fields = line.split("\t")
            if len(fields) < 5 or not fields[4].strip():
                problems.append(f"{path}:{number}: want dll, function, 9x, NT, source")
                continue
            dll, function, win9x, nt = fields[0].lower(), fields[1], fields[2], fields[3]
            if win9x not in WIN9X_ORDER or nt not in NT_ORDER:
                problems.append(f"{path}:{number}: unknown version '{win9x}' or '{nt}'")
                continue
            if (dll, function) in table:
                problems.append(f"{path}:{number}: {dll} {function} listed twice")
            table[(dll, function)] = (win9x, nt, fields[4])
    return table, problems


def ReadImports(path):
    """The optional header's version fields and {dll: [function names]}."""
    dump = subprocess.run([OBJDUMP, "-p", path], check=True, capture_output=True, text=True).stdout
    header = {}
    for key in ("MajorOSystemVersion", "MinorOSystemVersion", "MajorSubsystemVersion", "MinorSubsystemVersion"):
        match = re.search(rf"^{key}\s+(\d+)", dump, re.MULTILINE)
        header[key] = int(match.group(1)) if match else None
    imports = {}
    dll = None
    for line in dump.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            dll = named.group(1).lower()
            imports.setdefault(dll, [])
            continue
        # "\t<hint/name rva>\t <hint> <name>" rows; an ordinal import has "<none>" or no name.
        entry = re.match(r"\t[0-9a-f]+\t\s*(\d+)\s*(\S*)", line)
        if dll and entry:
            imports[dll].append(entry.group(2) if entry.group(2) not in ("", "<none>") else "#" + entry.group(1))
        elif dll and not line.strip():
            dll = None
    return header, imports


def Version(major, minor):
    return (major if major is not None else 99, minor if minor is not None else 99)


def CheckFile(table, path, limit):
    problems = []
    header, imports = ReadImports(path)
    for kind in ("Subsystem", "OSystem"):
        found = Version(header[f"Major{kind}Version"], header[f"Minor{kind}Version"])
        if found > limit:
            name = "subsystem" if kind == "Subsystem" else "operating system"
            problems.append(f"{name} version {found[0]}.{found[1]} is above {limit[0]}.{limit[1]}")
    for dll, functions in sorted(imports.items()):
        shipped = table.get((dll, "*"))
        if not shipped or WIN9X_ORDER.index(shipped[0]) > WIN9X_ORDER.index("98"):
            problems.append(f"{dll}: a DLL that Windows 98 does not ship (or not in the table)")
            continue
        for function in functions:
            row = table.get((dll, function))
            if function.startswith("#"):
                problems.append(f"{dll} ordinal {function[1:]}: import by name only")
            elif row is None:
                problems.append(f"{dll} {function}: not in the table")
            elif row[0] != "95":
                problems.append(f"{dll} {function}: not on Windows 95 (first 9x: {row[0]})")
            elif NT_ORDER.index(row[1]) > NT_ORDER.index("2000"):
                problems.append(f"{dll} {function}: not on Windows 2000 (first NT: {row[1]})")
    count = sum(len(functions) for functions in imports.values())
    return count, problems


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip().splitlines()[0], file=sys.stderr)
        return 2
    table, problems = LoadTable(argv[1])
    for problem in problems:
        print(problem, file=sys.stderr)
    failed = bool(problems)
    for arg in argv[2:]:
        path, _, version = arg.partition("=")
        limit = tuple(int(part) for part in (version or "4.0").split("."))
        count, problems = CheckFile(table, path, limit)
        print(f"{path}: {count} imports, {'OK' if not problems else 'FAILED'}")
        for problem in problems:
            print(f"  {problem}", file=sys.stderr)
        failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
