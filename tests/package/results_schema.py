#!/usr/bin/python3
"""A real run's results file against docs/results.schema.json (Debian's python3-jsonschema),
plus what a schema cannot say: no "/" in any key, no -1 standing for an absent figure, and the
--summary-json object on standard output.
Usage: results_schema.py LUMETRA2_CLI SOURCE_DIR"""
import json, os, shutil, subprocess, sys, tempfile

try:
    import jsonschema
except ImportError:
    print("python3-jsonschema is not installed")
    sys.exit(77)

cli, source = sys.argv[1], sys.argv[2]
schema = json.load(open(os.path.join(source, "docs", "results.schema.json")))
jsonschema.Draft202012Validator.check_schema(schema)
failures = []


def walk(node, path):
    if isinstance(node, dict):
        for key, value in node.items():
            if "/" in key:
                failures.append(f"{path}: key {key!r} holds a '/'")
            walk(value, f"{path}.{key}")
    elif isinstance(node, list):
        for i, value in enumerate(node):
            walk(value, f"{path}[{i}]")
    elif isinstance(node, (int, float)) and not isinstance(node, bool) and node == -1:
        failures.append(f"{path}: -1 where null is meant")


with tempfile.TemporaryDirectory() as tmp:
    work, out = os.path.join(tmp, "work"), os.path.join(tmp, "out")
    shutil.copytree(os.path.join(source, "data"), work,
                    ignore=shutil.ignore_patterns("Console-*", "Results-*", ".lumetra2*"))
    run = subprocess.run([cli, "--summary-json", "--output-dir", out, "-cipherbench"], cwd=work,
                         capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"lumetra2-cli exited with {run.returncode}: {run.stderr}")
    summary = json.loads(run.stdout)  # one JSON object and nothing else
    names = [n for n in os.listdir(out) if n.startswith("Results-")]
    if len(names) != 1 or summary.get("results_file") != os.path.join(out, names[0]):
        sys.exit(f"results file {names} vs summary {summary.get('results_file')}")
    doc = json.load(open(os.path.join(out, names[0])))
    for error in jsonschema.Draft202012Validator(schema).iter_errors(doc):
        failures.append(f"{'/'.join(map(str, error.absolute_path))}: {error.message}")
    walk(doc, "$")
    walk(summary, "summary")
    if summary["subscores"]["md"] is not None or summary["headlines"][0]["unit"] != "MiB/s":
        failures.append(f"summary: {summary}")

for f in failures:
    print("FAIL:", f)
sys.exit(1 if failures else 0)
