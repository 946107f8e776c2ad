#!/usr/bin/env python3
"""Plants each fault of faults.txt in a copy of the committed tree, one at a time, and runs
the suite without the install checks. Usage: mutate.py [FAULT...] (all by default).
Results go to $MUTANTS_DIR/results (default /tmp/solmira-mutants); a fault already there is
skipped unless named, so a run that was stopped goes on where it was."""
import os, re, subprocess, sys
from pathlib import Path

here = Path(__file__).resolve().parent
repo = here.parent.parent
work = Path(os.environ.get("MUTANTS_DIR", "/tmp/solmira-mutants"))
src, build, results = work / "src", work / "build", work / "results"
env = dict(os.environ, CCACHE_DIR=os.environ.get("CCACHE_DIR", "/work/.ccache"), CMAKE_CXX_COMPILER_LAUNCHER="ccache")

def run(cmd, timeout, **kw):
    try:
        return subprocess.run(cmd, env=env, timeout=timeout, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kw).returncode
    except subprocess.TimeoutExpired:
        return -1

def faults():
    for block in re.split(r"^== ", (here / "faults.txt").read_text(), flags=re.M)[1:]:
        lines = block.split("\n")
        name, path = (s.strip() for s in lines[0].split("|"))
        body = [l for l in lines[1:] if l[:1] in ("-", "+")]
        old = "\n".join(l[2:] for l in body if l[0] == "-")
        new = "\n".join(l[2:] for l in body if l[0] == "+")
        user = next((l[6:] for l in lines if l.startswith("user: ")), "")
        yield name, path, old, new, user

# The committed tree, copied; files that did not change keep their times, so the build stays incremental.
work.mkdir(parents=True, exist_ok=True)
fresh = work / "fresh"
subprocess.run(f"rm -rf '{fresh}' && mkdir -p '{fresh}' && git -C '{repo}' archive HEAD | tar -x -C '{fresh}'", shell=True, check=True)
for f in (p for p in fresh.rglob("*") if p.is_file()):
    to = src / f.relative_to(fresh)
    if not to.exists() or to.read_bytes() != f.read_bytes():
        to.parent.mkdir(parents=True, exist_ok=True)
        to.write_bytes(f.read_bytes())
for f in (p for p in src.rglob("*") if p.is_file() and not (fresh / p.relative_to(src)).exists()):
    f.unlink()
subprocess.run(["rm", "-rf", fresh])
if run(["cmake", "-S", src, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON"], 600) or \
        run(["cmake", "--build", build, "-j2"], 3600):
    sys.exit("the clean tree does not build")
done = dict(l.split(" ", 1) for l in results.read_text().splitlines()) if results.exists() else {}
for name, path, old, new, user in faults():
    if (sys.argv[1:] and name not in sys.argv[1:]) or (not sys.argv[1:] and name in done):
        continue
    file = src / path
    text = file.read_text()
    if text.count(old) != 1:
        outcome = "could-not-plant"
    else:
        try:
            file.write_text(text.replace(old, new))
            if run(["cmake", "--build", build, "-j2"], 1800):
                outcome = "caught-by-build"  # the compiler, or the sample book the build makes
            else:
                # MUTANTS_ALL=1 runs every test, to name all that catch the fault.
                stop = [] if os.environ.get("MUTANTS_ALL") else ["--stop-on-failure"]
                try:
                    ctest = subprocess.run(["ctest", "--test-dir", build, "-E", r"^Install\.", *stop, "-j2", "--timeout",
                                            "60"], env=env, capture_output=True, text=True, timeout=1200)
                    status, shown = ctest.returncode, ctest.stdout
                except subprocess.TimeoutExpired:
                    status, shown = -1, ""
                failing = sorted(set(re.findall(r"^\s*\d+ - (\S+) \(", shown.split("tests FAILED:")[-1], re.M)))
                outcome = "caught by " + " ".join(failing or ["(the suite's time limit)"]) if status else "MISSED"
        finally:
            file.write_text(text)
    done[name] = outcome
    print(f"{name}: {outcome} {user if outcome == 'MISSED' else ''}", flush=True)
    results.write_text("".join(f"{k} {v}\n" for k, v in done.items()))
planted = [k for k, v in done.items() if v != "could-not-plant"]
caught = [k for k in planted if done[k] != "MISSED"]
print(f"caught {len(caught)} / planted {len(planted)} (by the build: {sum(done[k] == 'caught-by-build' for k in planted)})")
print("missed:", " ".join(k for k in planted if done[k] == "MISSED") or "none")
print("could not plant:", " ".join(k for k, v in done.items() if v == "could-not-plant") or "none")
