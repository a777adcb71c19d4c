#!/usr/bin/env python3
"""End-to-end checks of scripts/bench-run on benchmarks written here, with torva presets and shell scripts standing
in for solvers (also for a peer on PATH), and of both campaign drivers (bench-run, fuzz-run) on a single-node Slurm
cluster that the Slurm group starts. Usage: bench_run_test.py --torva BINARY --script BENCH_RUN [--fuzz TORVA_FUZZ]
GROUP, GROUP one of the unittest classes Runs, Classes, Resume, Plots, Slurm; exit status 77 when all of the group
was skipped."""
import argparse
import csv
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

import slurm_cluster

TORVA = SCRIPT = FUZZ = None

# The folder: a_sat.smt2 (its own :status), sub/b_unsat.smt2 (answers.tsv
# says unsat), c_sat.smt (SMT-LIB 1) and sub/deeper/d_open.smt2 (satisfiable,
# no expected answer anywhere).
BENCH = {
    "a_sat.smt2": "(set-info :status sat)\n(set-logic QF_BV) (declare-fun x () (_ BitVec 8))"
                  " (assert (= (bvadd x #x01) #x02)) (check-sat) (exit)\n",
    "sub/b_unsat.smt2": "(set-logic QF_BV) (declare-fun x () (_ BitVec 8)) (assert (= (bvmul x #x02) #x01))"
                        " (check-sat)\n",
    "c_sat.smt": "(benchmark small :logic QF_BV :status sat :extrafuns ((a BitVec[8])) :extrafuns ((b BitVec[8]))\n"
                 "  :assumption (= (bvadd a b) bv100[8]) :formula (= (bvsub a b) bv20[8]))\n",
    "sub/deeper/d_open.smt2": "(set-logic QF_BV) (declare-fun x () (_ BitVec 8)) (declare-fun y () (_ BitVec 8))\n"
                              "(assert (= (bvand x y) #x0f)) (assert (= (bvor x y) #xff)) (check-sat)\n",
    "notes.txt": "not a benchmark\n",
    "answers.tsv": "file\tanswer\nsub/b_unsat.smt2\tunsat\n",
}
# Factoring a 64-bit odd number into two 32-bit factors: seconds beyond any
# limit used here.
HARD_SMT2 = """(set-info :status unknown)
(set-logic QF_BV) (declare-const x (_ BitVec 64)) (declare-const y (_ BitVec 64))
(assert (= (bvmul x y) #x9e3779b97f4a7c15))
(assert (bvugt x #x0000000000000001)) (assert (bvugt y #x0000000000000001))
(assert (bvult x #x00000000ffffffff)) (assert (bvult y #x00000000ffffffff)) (check-sat)
"""
# Three checks, answered sat, unsat, sat (the last through a guard literal).
SEQUENCE_SMT2 = """(set-logic QF_BV) (declare-const x (_ BitVec 8))
(push 1) (assert (= (bvadd x #x01) #x02)) (check-sat) (pop 1)
(assert (= x #x05)) (push 1) (assert (= x #x06)) (check-sat) (pop 1)
(declare-const g Bool) (assert (=> g (bvugt x #x04))) (check-sat-assuming (g))
"""
OLD_FIELDS = "solver file expected answer seconds wall status note timeout memory exit".split()
HEADER = "solver solved sat unsat timeouts memouts errors wrong skipped PAR-2 cpu-s wall-s peak-MB".split()


def write(path, text, mode=0o644):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)
    os.chmod(path, mode)
    return path


def read(path):
    with open(path) as f:
        return f.read()


class Run:
    def __init__(self, proc, out_dir):
        self.stdout, self.stderr, self.out_dir = proc.stdout, proc.stderr, out_dir

    def rows(self):
        with open(os.path.join(self.out_dir, "runs.csv"), newline="") as f:
            return list(csv.DictReader(f))

    def row(self, solver, name):
        found = [r for r in self.rows() if r["solver"] == solver and os.path.basename(r["file"]) == name]
        assert len(found) == 1, (solver, name, found)
        return found[0]

    def cpu(self, solver, status=None):
        return sum(float(r["seconds"]) for r in self.rows() if r["solver"] == solver and status in (None, r["status"]))

    def summary(self):
        """{solver: {column: value}} of the summary table."""
        lines = self.stdout.splitlines()
        start = next(i for i, l in enumerate(lines) if l.split()[:2] == ["solver", "solved"])
        assert lines[start].split() == HEADER, lines[start]
        table = {}
        for cells in (line.split() for line in lines[start + 1:]):
            if len(cells) != len(HEADER):
                break
            table[cells[0]] = {h: (c if h == "solver" else float(c) if "." in c else int(c))
                               for h, c in zip(HEADER, cells)}
        return table


class BenchRunCase(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="bench_run_%s_" % self._testMethodName)
        self.bench = os.path.join(self.tmp, "bench")
        self.files = {os.path.basename(name): write(os.path.join(self.bench, name), text)
                      for name, text in BENCH.items()}

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def fake(self, name, body):
        """A stand-in solver: a shell script of the body."""
        return write(os.path.join(self.tmp, "fakes", name), "#!/bin/sh\n" + body + "\n", 0o755)

    def fakes(self, bodies):
        """--solver arguments for stand-in solvers {name: body}, each given the file."""
        return [a for name, body in bodies.items()
                for a in ("--solver", "%s=%s {file}" % (name, self.fake(name + ".sh", body)))]

    def sequence_script(self, name, answers=None):
        script = write(os.path.join(self.tmp, "inc", name + ".smt2"), SEQUENCE_SMT2)
        if answers:
            write(os.path.join(self.tmp, "inc", name + ".answers"), answers)
        return script

    def bench_run(self, *args, code=None, env=None):
        """Runs bench-run with the arguments into OUT = tmp/out; expects the exit status code unless None."""
        proc = subprocess.run(self.bench_run_argv(*args), stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                              env=dict(os.environ, NO_COLOR="1", **(env or {})), timeout=240, cwd=self.tmp)
        if code is not None:
            self.assertEqual(proc.returncode, code, proc.stdout + proc.stderr)
        return Run(proc, os.path.join(self.tmp, "out"))

    def bench_run_argv(self, *args):
        return [sys.executable, SCRIPT, "--torva", TORVA, "--memory", "0", "--out", os.path.join(self.tmp, "out"),
                *args]

    def assertRow(self, run, solver, name, **want):
        row = run.row(solver, name)
        self.assertEqual({k: row[k] for k in want}, want, row)

    def assertRunCount(self, run, todo, kept):
        self.assertIn("%d runs to do, %d kept from" % (todo, kept), run.stderr)


class Runs(BenchRunCase):
    """Two torva presets over the folder, a list file, a set, bad usage."""

    def test_two_presets_solve_the_folder(self):
        run = self.bench_run("--solver", "torva:fast", "--solver", "torva:classic", "--jobs", "2", "--no-plots",
                             self.bench, code=0)
        rows = run.rows()
        self.assertEqual(list(rows[0]), OLD_FIELDS + ["peak_mb"])
        facts = {"a_sat.smt2": ("sat", "sat", "10"), "b_unsat.smt2": ("unsat", "unsat", "20"),
                 "c_sat.smt": ("sat", "sat", "10"), "d_open.smt2": ("unknown", "sat", "10")}
        self.assertEqual(sorted((r["solver"], r["file"], r["expected"], r["answer"], r["exit"], r["status"], r["note"],
                                 r["timeout"], r["memory"]) for r in rows),
                         sorted((solver, os.path.abspath(self.files[name]), *fact, "solved", "", "10", "0")
                                for solver in ("torva:fast", "torva:classic") for name, fact in facts.items()))
        for row in rows:
            self.assertTrue(0 <= float(row["seconds"]) < 10 and float(row["wall"]) >= 0, row)
            self.assertGreater(float(row["peak_mb"]), 1.0)
        table = run.summary()
        self.assertEqual(list(table), ["torva:fast", "torva:classic"])
        for solver, line in table.items():
            self.assertEqual({k: line[k] for k in HEADER[1:9]},
                             dict(solved=4, sat=3, unsat=1, timeouts=0, memouts=0, errors=0, wrong=0, skipped=0))
            self.assertAlmostEqual(line["PAR-2"], run.cpu(solver), delta=0.06)
            self.assertAlmostEqual(line["cpu-s"], run.cpu(solver), delta=0.06)
            self.assertEqual(line["peak-MB"], round(max(float(r["peak_mb"]) for r in rows if r["solver"] == solver)))
        self.assertIn("4 files, 8 runs, timeout 10 s CPU", run.stdout)
        for absent in ("Per file", "Wrong answers:", "Disagreements:", "Errors:"):
            self.assertNotIn(absent, run.stdout)
        self.assertFalse(any(n.endswith(".png") for n in os.listdir(run.out_dir)))
        self.assertEqual(run.stdout, "\n" + read(os.path.join(run.out_dir, "summary.txt")))

    def test_list_file_explicit_answers_and_a_set(self):
        # A list names files relative to itself (comments and blank lines
        # skipped); an --answers file overrides the benchmark's own status.
        write(os.path.join(self.tmp, "lists", "some.txt"),
              "# the open one\n\n../bench/sub/deeper/d_open.smt2\n../bench/a_sat.smt2\n")
        write(os.path.join(self.tmp, "claims.tsv"), "file\tanswer\nbench/a_sat.smt2\tunsat\n")
        run = self.bench_run("--solver", "torva:fast", "--no-plots", "--answers", os.path.join(self.tmp, "claims.tsv"),
                             "--list", os.path.join(self.tmp, "lists", "some.txt"), code=1)
        self.assertEqual(sorted(os.path.basename(r["file"]) for r in run.rows()), ["a_sat.smt2", "d_open.smt2"])
        self.assertRow(run, "torva:fast", "a_sat.smt2", status="wrong", expected="unsat")
        self.assertRow(run, "torva:fast", "d_open.smt2", status="solved")
        self.assertIn("WRONG torva:fast bench/a_sat.smt2: answered sat, expected unsat", run.stdout)

        # A set brings its limit and table; its folder and peers give way to the ones named here.
        right = self.fake("right.sh", "printf 'sat\\nunsat\\nsat\\n'")
        run = self.bench_run("--fresh", "--set", "incremental", "--solver", "torva", "--solver", "right=%s" % right,
                             "--no-plots", self.sequence_script("seq", "sat\nunsat\nsat\n"), code=0)
        self.assertIn("1 files, 2 runs, timeout 300 s CPU", run.stdout)
        self.assertEqual({r["status"] for r in run.rows()}, {"solved"})
        self.assertIn("Per file (CPU seconds / peak memory):\nfile", run.stdout)

    def test_bad_usage(self):
        for args, message in ((["--no-plots"], "no benchmarks"),
                              (["--solver", "nosuchsolver", self.bench], "'nosuchsolver'"),
                              (["--solver", "torva:fast", os.path.join(self.tmp, "missing")], "no such file or folder"),
                              (["--set", "nosuchset", self.bench], "--set")):
            self.assertIn(message, self.bench_run(*args, code=2).stderr)


class Classes(BenchRunCase):
    """Every class of run, from solvers that misbehave on purpose."""

    def test_wrong_answer_and_disagreement_are_flagged(self):
        run = self.bench_run("--solver", "torva:fast", *self.fakes({"liar": "echo sat"}), "--no-plots",
                             self.bench, code=1)
        self.assertRow(run, "liar", "b_unsat.smt2", status="wrong", note="expected unsat")
        for name in ("a_sat.smt2", "c_sat.smt", "d_open.smt2"):
            self.assertRow(run, "liar", name, status="solved")
        table = run.summary()
        self.assertEqual((table["liar"]["solved"], table["liar"]["wrong"], table["liar"]["sat"]), (3, 1, 3))
        self.assertEqual((table["torva:fast"]["solved"], table["torva:fast"]["wrong"]), (4, 0))
        self.assertAlmostEqual(table["liar"]["PAR-2"], run.cpu("liar", "solved") + 2 * 10, delta=0.06)
        wrong_line = "WRONG liar bench/sub/b_unsat.smt2: answered sat, expected unsat"
        split_line = "DISAGREE bench/sub/b_unsat.smt2: sat by liar, unsat by torva:fast (expected unsat)"
        self.assertEqual(run.stdout.count(split_line), 2)          # at once and in the summary
        live, summary = run.stdout.split("\n\n", 1)
        self.assertIn(split_line, live)
        self.assertIn(wrong_line, live)
        self.assertIn("Wrong answers:\n" + wrong_line + "\n", summary)
        self.assertIn("Disagreements:\n" + split_line + "\n", summary)
        self.assertNotIn("\033[", run.stdout)                       # NO_COLOR, and not a terminal
        # Per logic (all QF_BV here): each solver took a side on one file.
        per_logic = [l.split() for l in summary.split("Per logic:\n", 1)[1].splitlines()[:3]]
        self.assertEqual(per_logic[0], ["logic", "solver", "files", "solved", "PAR-2", "disagree"])
        for cells, solver, solved in zip(per_logic[1:], ("torva:fast", "liar"), (4, 3)):
            self.assertEqual(cells[:4] + cells[5:], ["QF_BV", solver, "4", str(solved), "1"])
            self.assertAlmostEqual(float(cells[4]), table[solver]["PAR-2"], delta=0.06)

    def test_script_of_several_checks_is_judged_by_its_sequence(self):
        # NAME.answers beside the script holds the expected answers in order.
        fakes = {"right": "printf 'sat\\nunsat\\nsat\\n'", "liar": "printf 'sat\\nsat\\nsat\\n'",
                 "short": "echo sat", "shrug": "printf 'sat\\nunknown\\nsat\\n'"}
        run = self.bench_run("--solver", "torva:fast", "--jobs", "1", "--no-plots", "--per-file", *self.fakes(fakes),
                             self.sequence_script("seq", "sat\nunsat\nsat\n"), code=1)
        want = {"torva:fast": ("sus", "solved", ""), "right": ("sus", "solved", ""),
                "liar": ("sss", "wrong", "check 2: answered sat, expected unsat"),
                "short": ("s", "error", "answered 1 of 3 checks"),
                "shrug": ("s?s", "timeout", "answered unknown at check 2 of 3")}
        for name, (answer, status, note) in want.items():
            self.assertRow(run, name, "seq.smt2", expected="sus", answer=answer, status=status, note=note)
        self.assertRow(run, "torva:fast", "seq.smt2", exit="10")
        line = run.summary()["torva:fast"]
        self.assertEqual((line["solved"], line["sat"], line["unsat"]), (1, 0, 0))
        wrong_line = "WRONG liar inc/seq.smt2: check 2: answered sat, expected unsat"
        split_line = "DISAGREE inc/seq.smt2: check 2: sat by liar, unsat by torva:fast, right (expected unsat)"
        self.assertEqual(run.stdout.count(wrong_line), 2)          # at once and in the summary
        self.assertIn("Disagreements:\n" + split_line + "\n", run.stdout)
        per_file = run.stdout.split("Per file (CPU seconds / peak memory):\n", 1)[1].splitlines()
        self.assertEqual(per_file[0].split(), ["file", "torva:fast", "right", "liar", "short", "shrug"])
        self.assertTrue(per_file[1].startswith("inc/seq.smt2 "), per_file[1])
        self.assertEqual(per_file[1].count(" MB"), 5)
        for status in ("wrong (", "error (", "timeout ("):
            self.assertIn(status, per_file[1])

        # Without answers, only the solvers' split is flagged.
        run = self.bench_run("--fresh", *self.fakes({"one": "printf 'sat\\nunsat\\nsat\\n'",
                                                     "other": "printf 'sat\\nunsat\\nunsat\\n'"}),
                             "--jobs", "1", "--no-plots", self.sequence_script("open"), code=1)
        for name, answer in (("one", "sus"), ("other", "suu")):
            self.assertRow(run, name, "open.smt2", expected="unknown", answer=answer, status="solved")
        self.assertEqual(run.stdout.count("DISAGREE inc/open.smt2: check 3: sat by one, unsat by other\n"), 2)
        self.assertNotIn("Wrong answers:", run.stdout)

    def test_limits_crashes_and_silence(self):
        bodies = {"spin": "while :; do :; done", "hog": "echo 'fatal: out of memory' >&2; exit 1",
                  "crash": "kill -SEGV $$", "mute": "exit 0", "shrug": "echo unknown",
                  "broken": "echo '(error \"line 1: no\")'; echo sat", "sleepy": "exec sleep 60"}
        start = time.monotonic()
        run = self.bench_run("--timeout", "1", "--jobs", "2", "--no-plots", *self.fakes(bodies),
                             self.files["a_sat.smt2"], code=1)
        self.assertLess(time.monotonic() - start, 30)
        want = {"spin": ("timeout", "CPU limit (SIGXCPU)"), "hog": ("memout", "out of memory"),
                "crash": ("error", "killed by SIGSEGV"), "mute": ("error", "exit 0, no answer"),
                "shrug": ("timeout", "answered unknown"), "broken": ("error", '(error "line 1: no")'),
                "sleepy": ("timeout", "wall-clock limit of 7 s")}
        table = run.summary()
        for name, (status, note) in want.items():
            self.assertRow(run, name, "a_sat.smt2", status=status, note=note)
            counts = {k: table[name][k] for k in ("solved", "timeouts", "memouts", "errors", "wrong")}
            self.assertEqual(counts, dict(solved=0, timeouts=int(status == "timeout"),
                                          memouts=int(status == "memout"), errors=int(status == "error"), wrong=0))
            self.assertAlmostEqual(table[name]["PAR-2"], 2.0, delta=0.01)
        # CPU time, not wall time (the kernel's limit check samples ticks, so
        # a loaded machine may stop a run a little before a full second).
        self.assertGreaterEqual(float(run.row("spin", "a_sat.smt2")["seconds"]), 0.5)
        self.assertGreaterEqual(float(run.row("sleepy", "a_sat.smt2")["wall"]), 6.9)
        self.assertLess(float(run.row("sleepy", "a_sat.smt2")["seconds"]), 0.5)
        self.assertEqual(run.stdout.count("ERROR "), 3)

    def test_torva_on_a_hard_file_is_a_timeout(self):
        hard = write(os.path.join(self.tmp, "hard", "factor.smt2"), HARD_SMT2)
        run = self.bench_run("--solver", "torva:fast", "--timeout", "1", "--no-plots", hard, code=0)
        self.assertRow(run, "torva:fast", "factor.smt2", status="timeout", expected="unknown", timeout="1")
        self.assertGreaterEqual(float(run.row("torva:fast", "factor.smt2")["seconds"]), 0.5)
        self.assertEqual(run.summary()["torva:fast"]["timeouts"], 1)

    def test_peers_absent_are_left_out_and_present_skip_smt1(self):
        # PATH holds only a stand-in z3: boolector is absent, z3 runs every
        # SMT-LIB 2 file and skips the SMT-LIB 1 one.
        peers = os.path.dirname(self.fake("z3", 'case "$2" in *unsat*) echo unsat;; *) echo sat;; esac'))
        run = self.bench_run("--solver", "torva:fast", "--solver", "z3", "--solver", "boolector", "--no-plots",
                             self.bench, env={"PATH": peers}, code=0)
        self.assertEqual(run.stderr.count("boolector is not installed; left out"), 1)
        self.assertNotIn("z3 is not installed", run.stderr)
        self.assertEqual({r["solver"] for r in run.rows()}, {"torva:fast", "z3"})
        self.assertRow(run, "z3", "c_sat.smt", status="skipped", answer="none", note="z3 does not read SMT-LIB 1")
        line = run.summary()["z3"]
        self.assertEqual((line["solved"], line["skipped"], line["sat"], line["unsat"]), (3, 1, 2, 1))
        self.assertAlmostEqual(line["PAR-2"], run.cpu("z3"), delta=0.06)


class Resume(BenchRunCase):
    """The CSV is the memory of earlier runs."""

    def test_second_run_runs_nothing_new(self):
        args = ["--solver", "torva:fast", "--solver", "torva:classic", "--no-plots", self.bench]
        first = self.bench_run(*args, code=0)
        self.assertRunCount(first, 8, 0)
        before = read(os.path.join(first.out_dir, "runs.csv"))
        second = self.bench_run(*args, code=0)
        self.assertRunCount(second, 0, 8)
        self.assertEqual(read(os.path.join(second.out_dir, "runs.csv")), before)
        self.assertEqual(second.summary(), first.summary())

        # One more solver: only its runs are new.
        third = self.bench_run("--solver", "torva:clauses", *args)
        self.assertRunCount(third, 4, 8)
        self.assertEqual(len(third.rows()), 12)
        self.assertEqual(list(third.summary()), ["torva:clauses", "torva:fast", "torva:classic"])

        # Another timeout runs everything again; the newer rows win.
        fourth = self.bench_run("--timeout", "5", *args)
        self.assertRunCount(fourth, 8, 0)
        self.assertEqual(len(fourth.rows()), 20)
        self.assertIn("timeout 5 s CPU", fourth.stdout)
        self.assertEqual(fourth.summary()["torva:fast"]["solved"], 4)

        # --fresh starts a new CSV.
        fifth = self.bench_run("--fresh", *args)
        self.assertRunCount(fifth, 8, 0)
        self.assertEqual(len(fifth.rows()), 8)

    def test_random_campaign_runs_only_missing_slices(self):
        if not FUZZ:
            self.skipTest("torva-fuzz is not built")
        out = os.path.join(self.tmp, "fuzz")

        def fuzz_run(*options, code=0):
            proc = subprocess.run([sys.executable, os.path.join(os.path.dirname(SCRIPT), "fuzz-run"), "--fuzz", FUZZ,
                                   "--count", "12", "--per-task", "5", "--out", out, "--", *options],
                                  capture_output=True, text=True, timeout=240)
            self.assertEqual(proc.returncode, code, proc.stdout + proc.stderr)
            return proc
        first = fuzz_run("--profile", "default", "--shape", "law")
        self.assertIn("3 slices to run, 0 done before", first.stderr)
        self.assertIn("seeds 1 .. 12 in 3 slices", first.stdout)
        os.remove(os.path.join(out, "slices", "6-5.done"))
        again = fuzz_run("--profile", "default", "--shape", "law")
        self.assertIn("1 slices to run, 2 done before", again.stderr)
        self.assertEqual(again.stdout, first.stdout)
        other = fuzz_run("--profile", "modules", code=2)
        self.assertIn("holds a campaign with other options (--profile default --shape law)", other.stderr)

    def test_csv_of_the_older_layout_is_rewritten(self):
        # A CSV without the peak memory column: its rows stay, in the new layout.
        kept = dict(solver="torva:fast", file=os.path.abspath(self.files["a_sat.smt2"]), expected="sat",
                    answer="sat", seconds="0.010", wall="0.020", status="solved", note="", timeout="10",
                    memory="0", exit="10")
        os.makedirs(os.path.join(self.tmp, "out"))
        with open(os.path.join(self.tmp, "out", "runs.csv"), "w", newline="") as f:
            writer = csv.DictWriter(f, OLD_FIELDS)
            writer.writeheader()
            writer.writerow(kept)
        run = self.bench_run("--solver", "torva:fast", "--no-plots", self.bench, code=0)
        self.assertRunCount(run, 3, 1)
        self.assertEqual(len(run.rows()), 4)
        self.assertEqual(list(run.rows()[0]), OLD_FIELDS + ["peak_mb"])
        self.assertEqual(run.row("torva:fast", "a_sat.smt2"), dict(kept, peak_mb=""))

    def test_interrupted_run_keeps_its_rows(self):
        args = ["--jobs", "1", "--timeout", "1", "--no-plots", "--solver", "torva:fast",
                *self.fakes({"spin": "while :; do :; done"}), self.bench]
        csv_path = os.path.join(self.tmp, "out", "runs.csv")
        proc = subprocess.Popen([sys.executable, SCRIPT, "--torva", TORVA, "--memory", "0", "--out",
                                 os.path.dirname(csv_path)] + args, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                text=True, env=dict(os.environ, NO_COLOR="1"))
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline and not (os.path.exists(csv_path) and len(read(csv_path).splitlines()) >= 3):
            time.sleep(0.05)
        proc.send_signal(signal.SIGINT)
        stdout, stderr = proc.communicate(timeout=60)
        self.assertEqual(proc.returncode, 130, stdout + stderr)
        self.assertIn("interrupted", stderr)
        with open(csv_path, newline="") as f:
            kept = list(csv.DictReader(f))
        self.assertTrue(2 <= len(kept) < 8, kept)
        for row in kept:
            self.assertIn(row["status"], ("solved", "timeout"), row)
        again = self.bench_run(*args)
        self.assertRunCount(again, 8 - len(kept), len(kept))
        self.assertEqual(len(again.rows()), 8)
        table = again.summary()
        self.assertEqual((table["torva:fast"]["solved"], table["spin"]["timeouts"]), (4, 4))


class Plots(BenchRunCase):
    """The pictures, where gnuplot is installed: drawn, then redrawn from the CSV for some solvers."""

    def assertPng(self, path):
        with open(path, "rb") as f:
            data = f.read()
        self.assertTrue(data.startswith(b"\x89PNG\r\n\x1a\n") and len(data) > 5000, path)

    def test_cactus_and_scatter_plots(self):
        if not shutil.which("gnuplot"):
            self.skipTest("gnuplot is not installed")
        run = self.bench_run("--solver", "torva:fast", "--solver", "torva:classic",
                             *self.fakes({"my-liar": "echo sat"}), self.bench, code=1)
        names = ["cactus.png", "scatter-torva_fast-vs-torva_classic.png", "scatter-torva_fast-vs-my-liar.png"]
        self.assertEqual(sorted(n for n in os.listdir(run.out_dir) if n.endswith(".png")), sorted(names))
        for path in (os.path.join(run.out_dir, name) for name in names):
            self.assertPng(path)
            self.assertIn(path, run.stdout)
            os.remove(path)
        redraw = self.bench_run("--plots-only", "--solver", "torva:fast", "--solver", "torva:classic", code=0)
        self.assertPng(os.path.join(run.out_dir, names[0]))
        self.assertPng(os.path.join(run.out_dir, names[1]))
        self.assertFalse(os.path.exists(os.path.join(run.out_dir, names[2])))
        self.assertEqual(redraw.summary(), {k: v for k, v in run.summary().items() if k != "my-liar"})


class Slurm(BenchRunCase):
    """Campaigns through --slurm on a cluster of this machine give the answers of a local run; a detached
    campaign is collected by a later call, and one whose job was cancelled resumes with what is missing."""

    @classmethod
    def setUpClass(cls):
        cls.cluster_dir = tempfile.mkdtemp(prefix="slurm_cluster_")
        cls.cluster = slurm_cluster.Cluster(cls.cluster_dir)
        try:
            cls.cluster.start()
        except slurm_cluster.Unavailable as e:
            shutil.rmtree(cls.cluster_dir, ignore_errors=True)
            raise unittest.SkipTest("no Slurm cluster: %s" % e)

    @classmethod
    def tearDownClass(cls):
        cls.cluster.stop()
        shutil.rmtree(cls.cluster_dir, ignore_errors=True)

    def on_slurm(self, *args, code=None):
        return self.bench_run("--slurm", "--no-plots", *args, code=code, env=dict(SLURM_CONF=self.cluster.conf))

    def answers(self, run):
        return {(r["solver"], os.path.basename(r["file"])): (r["answer"], r["status"]) for r in run.rows()}

    def solvers(self):
        self.sequence_script("e_sequence", "sat\nunsat\nsat\n")
        return ["--solver", "torva:fast", "--solver", "torva:classic",
                *self.fakes({"liar": "echo unsat"}), self.bench, os.path.join(self.tmp, "inc")]

    def test_same_answers_as_a_local_run(self):
        args = self.solvers()
        local = self.bench_run("--no-plots", *args, code=1)
        local_answers = self.answers(local)
        shutil.rmtree(local.out_dir)
        remote = self.on_slurm("--slurm-tasks", "4", "--throttle", "3", "--partition", "torva",
                               "--sbatch-option=--comment='a campaign'", *args, code=1)
        with open(os.path.join(remote.out_dir, "slurm", "batch-1", "job.json")) as f:
            sbatch = json.load(f)["sbatch"]
        for option in ("--array=0-3%3", "--partition=torva", "--comment=a campaign"):
            self.assertIn(option, sbatch)
        self.assertFalse([o for o in sbatch if o.startswith("--mem")], "no memory limit, no --mem")
        self.assertRunCount(remote, 15, 0)
        self.assertEqual(len(local_answers), 15)
        self.assertEqual(self.answers(remote), local_answers)
        for column in ("solved", "sat", "unsat", "wrong", "errors"):
            self.assertEqual({k: v[column] for k, v in remote.summary().items()},
                             {k: v[column] for k, v in local.summary().items()}, column)
        self.assertEqual(disagreements(remote.stdout), disagreements(local.stdout))
        self.assertEqual(len(disagreements(remote.stdout)), 3)
        self.assertEqual(len(os.listdir(os.path.join(remote.out_dir, "slurm", "batch-1"))),
                         len(["work.json", "job.json", "task.sh", "collected"]) + 4 + 4)

    def test_detached_campaign_is_collected_and_resumed(self):
        # The slow solver sleeps while the mark exists; the jobs are cancelled meanwhile.
        mark = write(os.path.join(self.tmp, "slow"), "")
        args = ["--solver", "torva:fast", *self.fakes({"slow": "test -e %s && sleep 60; echo unknown" % mark}),
                "--slurm-tasks", "2", self.bench]
        detached = self.on_slurm("--detach", *args, code=0)
        # Task K takes runs K, K+2, ...: task 0 all of torva's, task 1 all of the slow solver's.
        self.assertRegex(detached.stderr, r"job \d+: 8 runs in 2 array tasks")
        slurm_dir = os.path.join(detached.out_dir, "slurm")
        wait_for(lambda: rows_written(os.path.join(slurm_dir, "batch-1")) == 4)

        # A call that waits collects torva's runs when the job is cancelled, submits the slow runs again
        # and, when that job is cancelled too, says they are missing.
        waiting = subprocess.Popen(self.bench_run_argv("--slurm", "--no-plots", *args), stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, text=True, cwd=self.tmp,
                                   env=dict(os.environ, NO_COLOR="1", SLURM_CONF=self.cluster.conf))
        self.scancel(slurm_dir, "batch-1")
        wait_for(lambda: os.path.exists(os.path.join(slurm_dir, "batch-2", "job.json")))
        self.scancel(slurm_dir, "batch-2")
        out, err = waiting.communicate(timeout=120)
        self.assertEqual(waiting.returncode, 1, out + err)
        self.assertIn("4 runs missing", err)
        self.assertEqual(self.work_of(slurm_dir, "batch-2"), {"slow"})
        self.assertEqual({r["solver"] for r in Run(waiting, detached.out_dir).rows()}, {"torva:fast"})

        os.remove(mark)
        resumed = self.on_slurm(*args, code=0)
        self.assertRunCount(resumed, 4, 4)
        self.assertEqual(self.work_of(slurm_dir, "batch-3"), {"slow"})
        self.assertEqual(sorted(r["solver"] for r in resumed.rows()), ["slow"] * 4 + ["torva:fast"] * 4)
        self.assertNotIn("job ", self.on_slurm(*args, code=0).stderr)

    def scancel(self, slurm_dir, batch):
        with open(os.path.join(slurm_dir, batch, "job.json")) as f:
            job = json.load(f)["job"]
        subprocess.run(["scancel", job], env=dict(os.environ, SLURM_CONF=self.cluster.conf), check=True)

    def work_of(self, slurm_dir, batch):
        """The solvers of the batch's runs."""
        with open(os.path.join(slurm_dir, batch, "work.json")) as f:
            return {run[0] for run in json.load(f)["runs"]}

    def test_random_campaign_slices_give_the_local_totals(self):
        if not FUZZ:
            self.skipTest("torva-fuzz is not built")
        options = ["--", "--profile", "default", "--shape", "small"]
        driver = os.path.join(os.path.dirname(SCRIPT), "fuzz-run")

        def fuzz_run(out, *args):
            proc = subprocess.run([sys.executable, driver, "--fuzz", FUZZ, "--count", "30", "--per-task", "4",
                                   "--out", os.path.join(self.tmp, out), *args, *options], capture_output=True,
                                  text=True, env=dict(os.environ, SLURM_CONF=self.cluster.conf), timeout=240)
            self.assertEqual(proc.returncode, 0, proc.stdout + proc.stderr)
            return proc.stdout
        local = fuzz_run("local", "--jobs", "2")
        self.assertRegex(local, r"checked 30: \d+ sat, \d+ unsat, 0 timeouts, 0 failed")
        self.assertEqual(fuzz_run("slurm", "--slurm", "--slurm-tasks", "3"), local)


def disagreements(text):
    """The summary's list of disagreements."""
    return text.split("\nDisagreements:\n", 1)[-1].splitlines()


def rows_written(batch):
    rows = 0
    for name in os.listdir(batch):
        if name.startswith("rows-"):
            with open(os.path.join(batch, name), newline="") as f:
                rows += len(list(csv.DictReader(f)))
    return rows


def wait_for(condition, seconds=60):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            raise AssertionError("waited %d s in vain" % seconds)
        time.sleep(0.2)


def main():
    global TORVA, SCRIPT, FUZZ
    parser = argparse.ArgumentParser()
    parser.add_argument("--torva", required=True)
    parser.add_argument("--script", required=True)
    parser.add_argument("--fuzz")
    parser.add_argument("group", choices=["Runs", "Classes", "Resume", "Plots", "Slurm"])
    args = parser.parse_args()
    TORVA, SCRIPT = os.path.abspath(args.torva), os.path.abspath(args.script)
    FUZZ = args.fuzz and os.path.abspath(args.fuzz)
    suite = unittest.defaultTestLoader.loadTestsFromTestCase(globals()[args.group])
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    if result.testsRun and len(result.skipped) == result.testsRun:
        return 77
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
