#!/usr/bin/env python3
"""Every card the golden cases leave in their working folders must play its
program: runs `led2vqn verify CARD PROGRAM` for each card whose program file
lies beside it (PROGRAM is the card's name before "_<P>P_<suffix>.vqn",
with or without one extension).

usage: golden_verify.py LED2VQN KEPT_FOLDER
"""
import os
import re
import subprocess
import sys
import time

CARD = re.compile(r"^(.*)_\d+P_[A-Za-z0-9_]+\.vqn$")


def program_of(folder, card):
    m = CARD.match(card)
    if not m:
        return None
    stem = m.group(1)
    found = [n for n in os.listdir(folder)
             if not n.endswith(".vqn") and os.path.isfile(os.path.join(folder, n))
             and (n == stem or (n.startswith(stem + ".") and "." not in n[len(stem) + 1:]))]
    return found[0] if len(found) == 1 else None


def main():
    program, kept = sys.argv[1], sys.argv[2]
    start = time.time()
    passed, skipped, failed = 0, 0, []
    for case in sorted(os.listdir(kept)):
        work = os.path.join(kept, case, "w")
        if not os.path.isdir(work):
            continue
        settings = os.path.join(work, "Gcode.sdc")
        for folder, _, names in os.walk(work):
            for card in sorted(n for n in names if n.endswith(".vqn")):
                source = program_of(folder, card)
                if source is None:
                    skipped += 1
                    continue
                r = subprocess.run([program, "verify", card, source, "--settings", settings],
                                   cwd=folder, capture_output=True, text=True)
                if r.returncode == 0:
                    passed += 1
                else:
                    failed.append(f"{case}: {os.path.relpath(os.path.join(folder, card), work)}\n{r.stdout}{r.stderr}")
    for f in failed:
        print("FAIL verify " + f)
    print(f"golden verify: {passed} cards play their programs, {len(failed)} do not, "
          f"{skipped} without their program beside them ({time.time() - start:.1f} s)")
    return 1 if failed or passed == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
