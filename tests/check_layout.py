#!/usr/bin/env python3
"""Holds the product tree to its layout rules; prints each breach, exits 1.

- Only a file whose name ends in "_win" may include a Windows header.
- Every product source belongs to exactly one module of cmake/modules.cmake,
  or is one of the executable's own files.
- A file includes only files of its own module or of a lower one, and the
  include graph has no cycle.

    check_layout.py ROOT
"""
import pathlib
import re
import sys

WINDOWS_HEADERS = {"windows.h", "rpc.h", "rpcndr.h", "commctrl.h", "shellapi.h", "sddl.h"}
EXECUTABLE_FILES = {"app/main_win.cpp", "app/terminate_handler.cpp"}

# (module, rank, path pattern), first match wins: a module may include the
# modules of a lower rank, and itself.
MODULES = [
    ("jni", 0, r"common/jni/"),
    ("exports", 1, r"launcher/launcher\.h$"),
    ("common", 1, r"common/"),
    ("arguments", 2, r"launcher/(arguments|pending_files|sender_folder)[._]"),
    ("prompt", 2, r"prompt/"),
    ("outcome", 2, r"outcome/"),
    ("runtime", 3, r"runtime/"),
    ("java_calls", 3, r"java_calls/"),
    ("rpc", 3, r"rpc/"),
    ("vm_options", 4, r"vm_options/"),
    ("class_data", 5, r"class_data/"),
    ("vm", 6, r"vm/"),
    ("launcher", 7, r"launcher/"),
    ("app", 8, r"app/"),
]


# The folders that hold the product, as cmake/modules.cmake lists them.
FOLDERS = ("app", "common", "launcher", "prompt", "rpc", "outcome", "runtime", "java_calls",
           "vm_options", "class_data", "vm")


def module_of(path):
    for name, rank, pattern in MODULES:
        if re.match(pattern, path):
            return name, rank
    return None, None


def main(root):
    root = pathlib.Path(root)
    files = sorted(
        str(p.relative_to(root))
        for top in FOLDERS
        for p in (root / top).rglob("*")
        if p.suffix in (".h", ".cpp"))
    breaches = []

    listed = re.findall(r"^set\(PELLIX_\w+_SOURCES\s+([^)]*)\)",
                        (root / "cmake/modules.cmake").read_text(), re.M)
    in_modules = [source for group in listed for source in group.split()]
    for path in files:
        if path.endswith(".cpp") and path not in EXECUTABLE_FILES:
            count = in_modules.count(path)
            if count != 1:
                breaches.append(f"{path}: in {count} module lists of cmake/modules.cmake")

    graph = {}
    for path in files:
        text = (root / path).read_text()
        stem = pathlib.Path(path).stem
        for header in re.findall(r"^#include <([^>]+)>", text, re.M):
            if header.lower() in WINDOWS_HEADERS and not stem.endswith("_win"):
                breaches.append(f"{path}: includes <{header}> but is not named *_win")
        graph[path] = []
        for header in re.findall(r'^#include "([^"]+)"', text, re.M):
            beside = str(pathlib.Path(path).parent / header)
            target = beside if beside in files else header
            if target in files:
                graph[path].append(target)

        module, rank = module_of(path)
        if module is None:
            breaches.append(f"{path}: belongs to no module")
            continue
        for target in graph[path]:
            other, other_rank = module_of(target)
            if other != module and (other_rank is None or other_rank >= rank):
                breaches.append(f"{path} ({module}) includes {target} ({other}), "
                                "which is not below it")

    state = {}

    def visit(path, trail):
        state[path] = "open"
        for target in graph.get(path, []):
            if state.get(target) == "open":
                breaches.append("include cycle: " + " -> ".join(trail + [path, target]))
            elif target not in state:
                visit(target, trail + [path])
        state[path] = "done"

    for path in files:
        if path not in state:
            visit(path, [])

    for breach in breaches:
        print(breach)
    print(f"{len(files)} files, {len(breaches)} breaches")
    return 1 if breaches else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
