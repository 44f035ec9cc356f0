"""The README's session with the tool is real output: every "$ m4k7db ..."
line of its text block, run by the shell with the built tool first on PATH
and without a printer-data file, prints exactly the lines below it, up to
the next "$ " line (blank lines between examples aside).

usage: readme_session.py README TOOL_DIR"""
import os
import subprocess
import sys

readme, tool_dir = sys.argv[1], sys.argv[2]

sessions, inside = [], False
for line in open(readme, encoding="utf-8").read().splitlines():
    if line == "```text":
        inside = True
    elif line.startswith("```"):
        inside = False
    elif inside and line.startswith("$ "):
        sessions.append((line[2:], []))
    elif inside and sessions:
        sessions[-1][1].append(line)
if not sessions:
    sys.exit(f"{readme}: no '$ m4k7db' line in a text block")

env = dict(os.environ, PATH=tool_dir + os.pathsep + os.environ.get("PATH", ""))
env.pop("M4K7DB_PRINTER_DATA", None)
failed = 0
for command, lines in sessions:
    if not command.startswith("m4k7db "):
        sys.exit(f"{readme}: '{command}' is not a command of the tool")
    want = "\n".join(lines).rstrip("\n")
    got = subprocess.run(["sh", "-c", command], capture_output=True, text=True, env=env).stdout.rstrip("\n")
    if got != want:
        failed += 1
        want_lines, got_lines = want.split("\n"), got.split("\n")
        at = next((i for i, (w, g) in enumerate(zip(want_lines, got_lines)) if w != g),
                  min(len(want_lines), len(got_lines)))
        print(f"$ {command}: differs from the README at output line {at + 1}")
        print(f"  README: {want_lines[at] if at < len(want_lines) else '(nothing)'}")
        print(f"  tool:   {got_lines[at] if at < len(got_lines) else '(nothing)'}")
print(f"{len(sessions) - failed} of {len(sessions)} README commands print what the README shows")
sys.exit(1 if failed else 0)
