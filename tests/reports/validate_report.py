#!/usr/bin/python3
"""Validates JSON reports of marvolt against the report schema.

    validate_report.py SCHEMA REPORT...

Prints one line per violation (and per schema field without a description)
and ends with status 1 when there is any.
"""
import json
import sys

import jsonschema


def undescribed(node, path=""):
    """The paths of the schema's fields that have no description; the
    conditions (if, then, else) only narrow fields described elsewhere."""
    if isinstance(node, dict):
        conditional = {"if", "then", "else"} & set(path.split("/"))
        for name, field in node.get("properties", {}).items():
            if "description" not in field and not conditional:
                yield f"{path}/properties/{name}"
        for key, child in node.items():
            yield from undescribed(child, f"{path}/{key}")
    elif isinstance(node, list):
        for i, child in enumerate(node):
            yield from undescribed(child, f"{path}/{i}")


def main(schema_path, reports):
    with open(schema_path, encoding="utf-8") as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    problems = [f"{schema_path}: no description at {path}" for path in undescribed(schema)]
    validator = jsonschema.Draft202012Validator(schema)
    for path in reports:
        with open(path, encoding="utf-8") as f:
            document = json.load(f)
        for error in validator.iter_errors(document):
            where = "/".join(str(part) for part in error.absolute_path)
            problems.append(f"{path}: /{where}: {error.message}")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2:]))
