#!/usr/bin/env python3
"""Run as a test: every test CTest knows in the build has a time limit of
its own, of at most MAX_SECONDS, so no hang can hold a run.

  every_test_has_a_time_limit.py CTEST BUILD_DIR MAX_SECONDS
"""

import json
import subprocess
import sys


def main():
    ctest, build, most = sys.argv[1], sys.argv[2], float(sys.argv[3])
    listing = json.loads(subprocess.run([ctest, "--test-dir", build, "--show-only=json-v1"],
                                        check=True, capture_output=True, text=True).stdout)
    tests = listing["tests"]
    if len(tests) < 2:
        sys.exit(f"ctest lists {len(tests)} tests")
    unlimited = []
    for test in tests:
        limits = [p["value"] for p in test.get("properties", []) if p["name"] == "TIMEOUT"]
        if not limits or not 0 < float(limits[0]) <= most:
            unlimited.append(f"{test['name']} ({limits[0] if limits else 'none'})")
    if unlimited:
        sys.exit(f"tests without a time limit of at most {most:g} s: " + ", ".join(unlimited))
    print(f"{len(tests)} tests, each with a time limit")


if __name__ == "__main__":
    main()
