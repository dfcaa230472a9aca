"""Runs marvolt-season on the sample season and the sample replay in several
ways and validates every JSON document against docs/season.schema.json.
Usage: schema_check.py MARVOLT_SEASON SOURCE_DIR"""
import json
import subprocess
import sys

import jsonschema


def main(program, source):
    with open(f"{source}/docs/season.schema.json", encoding="utf-8") as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    season = [f"{source}/examples/season/round{i}.rpy" for i in range(1, 5)]
    sample = f"{source}/examples/sample.rpy"
    runs = [
        season,
        ["--best=2", "--fastest-lap=1", "--points=10,6,4,3,2,1"] + season,
        ["--cst", f"{source}/examples/sample.cst", "--best=1", sample] + season[::-1],
        [sample],
    ]
    failures = 0
    for args in runs:
        out = subprocess.run([program, "--format=json"] + args, check=True, capture_output=True).stdout
        document = json.loads(out)
        errors = [f"{' '.join(args)}: {e.json_path}: {e.message}" for e in validator.iter_errors(document)]
        if not out.endswith(b"}\n") or b"\n" in out[:-1]:
            errors.append(f"{' '.join(args)}: not one compact line ending in a line break")
        for error in errors:
            print(error)
        failures += len(errors)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
