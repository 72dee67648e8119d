#!/usr/bin/env python3
"""Checks docs/ARCHITECTURE.md against the source tree.

Every name the page gives in backticks must exist:
- a path (it holds a "/" or ends in a source suffix) names a file or folder
  of the repository; a trailing "*" or "{a,b}" is expanded as a shell would;
- a CamelCase name (or T followed by CamelCase) is declared under src/ as a
  class, struct or enum, as a function or signal, or is a header's stem;
- a call written `Name(...)` or `Class::Name` names a function or member
  that some file under src/ declares.
Texts with spaces, quotes or operators (commands, captions, examples) are
not checked. The page stays short: over 250 lines is a failure too.
The format recipe's rule is checked as well: no switch over MediaFormat,
FileType or the tag kinds of several formats under src/ has a `default:` (a
new format's missing case must stay a compile error); a switch over MP3's
own tag kinds may have one.

Usage: check_architecture.py SOURCE_DIR
"""

import pathlib
import re
import sys

MAX_LINES = 250
SOURCE_SUFFIXES = (".h", ".cpp", ".py", ".sh", ".md", ".txt", ".cmake")


def expand_braces(text):
    m = re.search(r"\{([^{}]*)\}", text)
    if not m:
        return [text]
    out = []
    for part in m.group(1).split(","):
        out.extend(expand_braces(text[: m.start()] + part + text[m.end():]))
    return out


def main():
    root = pathlib.Path(sys.argv[1])
    page = root / "docs" / "ARCHITECTURE.md"
    failures = []
    if not page.is_file():
        print(f"{page}: missing")
        return 1
    text = page.read_text(encoding="utf-8")
    lines = text.splitlines()
    if len(lines) > MAX_LINES:
        failures.append(f"{page.name}: {len(lines)} lines, more than {MAX_LINES}")

    sources = []
    for path in sorted((root / "src").rglob("*")):
        if path.suffix in (".h", ".cpp"):
            sources.append(path.read_text(encoding="utf-8", errors="replace"))
    corpus = "\n".join(sources)
    declared_types = set(re.findall(r"\b(?:class|struct|enum class|enum|using)\s+(\w+)", corpus))

    # The checker itself: names that cannot exist must be caught, names that
    # do must pass.
    for name, expected in (("src/core/NoSuchFolder/Nothing.h", False), ("NoSuchClassAnywhere", False),
                           ("Catalogue::NoSuchMemberAnywhere", False), ("src/core/{common,text}", True),
                           ("Catalogue", True), ("Catalogue::Append", True)):
        if check_name(root, name, corpus, declared_types)[1] != expected:
            failures.append(f"check_architecture.py: `{name}` judged wrongly")

    # Code blocks are examples; only inline backticks are checked.
    inline = re.sub(r"```.*?```", "", text, flags=re.S)
    checked = 0
    for number, line in enumerate(inline.splitlines(), 1):
        for name in re.findall(r"`([^`\n]+)`", line):
            kind, ok = check_name(root, name, corpus, declared_types)
            if kind is None:
                continue
            checked += 1
            if not ok:
                failures.append(f"{page.name}: `{name}` ({kind}) does not exist")
    for path, line in switches_with_default(root):
        failures.append(f"{path}:{line}: a switch over the format enums has a default")
    if checked < 20:
        failures.append(f"{page.name}: only {checked} names checked; the page should name its files and classes")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


def switches_with_default(root):
    """(path, line) of each switch under src/ over the formats (a case of
    MediaFormat or FileType, or of a tag kind that is not MP3's) that has a
    default label."""
    found = []
    for path in sorted((root / "src").rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        code = path.read_text(encoding="utf-8", errors="replace")
        for m in re.finditer(r"\bswitch\s*\(", code):
            start = code.find("{", m.end())
            if start < 0:
                continue
            depth, end = 0, start
            for end in range(start, len(code)):
                depth += {"{": 1, "}": -1}.get(code[end], 0)
                if depth == 0:
                    break
            body = code[start:end]
            over_formats = re.search(r"\bcase\s+(MediaFormat|FileType)::", body) or any(
                not kind.startswith("MP3") for kind in re.findall(r"\bcase\s+TagKind::(\w+)", body))
            if over_formats and re.search(r"\bdefault\s*:", body):
                found.append((path.relative_to(root), code.count("\n", 0, m.start()) + 1))
    return found


def check_name(root, name, corpus, declared_types):
    """(kind, exists) for a checkable name; (None, True) for other texts."""
    if re.search(r"[\s\"'=<>|;]", name) or name.startswith(("-", "$", ".")):
        return None, True
    if "/" in name or name.endswith(SOURCE_SUFFIXES):
        for candidate in expand_braces(name):
            candidate = candidate.rstrip("/")
            if candidate.endswith("*"):
                matches = list(root.glob(candidate))
                if not matches:
                    return "path", False
            elif not (root / candidate).exists():
                return "path", False
        return "path", True
    call = re.fullmatch(r"(?:(\w+)::)?(\w+)(?:\(.*\))?", name)
    if not call:
        return None, True
    owner, member = call.group(1), call.group(2)
    if owner:
        if owner not in declared_types and not re.search(rf"\bnamespace\s+{owner}\b", corpus):
            return "type", False
        return "member", re.search(rf"\b{member}\b", corpus) is not None
    if name.endswith(")"):
        return "function", re.search(rf"\b{member}\s*\(", corpus) is not None
    if re.fullmatch(r"T?[A-Z][a-z0-9]+(?:[A-Z][A-Za-z0-9]*)+", member):
        # A class, a function or signal, or the stem of a source file.
        exists = (member in declared_types or re.search(rf"\b{member}\s*\(", corpus) is not None
                  or any(root.glob(f"src/**/{member}.h")))
        return "name", exists
    return None, True


if __name__ == "__main__":
    sys.exit(main())
