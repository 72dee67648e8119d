#!/usr/bin/env python3
"""Checks the shipped documentation against the code.

- Every help context the GUI code opens has its anchor in the help page.
- Every link inside the help pages resolves (anchors, files), and no id is
  given twice.
- Every command and option that `hozanki-cli --help` lists is described in
  the manual page, offered by the bash completion and named in the help page.
- The manual page lists each conversion with the number `hozanki-cli convert
  --help` gives it (the kinds' table), and no other.
- The manual pages and the AppStream metadata name the project's version.

Usage: check_docs.py SOURCE_DIR HOZANKI_CLI
"""

import html.parser
import pathlib
import re
import subprocess
import sys
from urllib.parse import urldefrag

failures = []


def fail(message):
    failures.append(message)


class PageParser(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.ids = []
        self.links = []  # (attribute, value, line)

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if value is None:
                continue
            if name == "id" or (tag == "a" and name == "name"):
                self.ids.append(value)
            if (tag == "a" and name == "href") or (tag in ("img", "script") and name == "src") or (
                    tag == "link" and name == "href"):
                self.links.append((name, value, self.getpos()[0]))


def parse_page(path):
    parser = PageParser()
    parser.feed(path.read_text(encoding="utf-8"))
    parser.close()
    return parser


def help_contexts(gui_dir):
    """The help context numbers of the GUI code and the anchor prefix."""
    locator = (gui_dir / "app" / "HelpLocator.cpp").read_text(encoding="utf-8")
    m = re.search(r'"([A-Za-z_-]*)%1"', locator)
    if not m:
        fail("HelpLocator.cpp: no anchor format such as \"context-%1\" found")
        return "context-", {}
    prefix = m.group(1)
    contexts = {}
    patterns = [
        # static constexpr int kHelpContext = 101;  kOptionHelpContext{211}
        re.compile(r"\w*HelpContext\w*\s*(?:=|\{)\s*(\d+)"),
        # kPageHelpContexts[] = {211, 212, ...}
        re.compile(r"\w*HelpContexts\w*\s*(?:\[\d*\])?\s*=?\s*\{([\d,\s]+)\}"),
        # OpenHelp(this, 305) / HelpUrl(305)
        re.compile(r"OpenHelp\s*\([^,()]*,\s*(\d+)\s*\)"),
        re.compile(r"HelpUrl\s*\(\s*(\d+)\s*\)"),
    ]
    for source in sorted(gui_dir.rglob("*")):
        if source.suffix not in (".cpp", ".h"):
            continue
        text = source.read_text(encoding="utf-8")
        for pattern in patterns:
            for m in pattern.finditer(text):
                for number in re.findall(r"\d+", m.group(1)):
                    if int(number) != 0:
                        contexts.setdefault(int(number), str(source.relative_to(gui_dir.parent.parent)))
    return prefix, contexts


def check_help(source_dir):
    help_dir = source_dir / "resources" / "help"
    pages = {p.name: parse_page(p) for p in sorted(help_dir.glob("*.html"))}
    if "index.html" not in pages:
        fail("resources/help/index.html is missing")
        return
    for name, page in pages.items():
        seen = set()
        for anchor in page.ids:
            if anchor in seen:
                fail(f"{name}: id \"{anchor}\" is given twice")
            seen.add(anchor)

    prefix, contexts = help_contexts(source_dir / "src" / "gui")
    if not contexts:
        fail("no help context found in src/gui (the main window opens one)")
    index_ids = set(pages["index.html"].ids)
    for number, where in sorted(contexts.items()):
        if f"{prefix}{number}" not in index_ids:
            fail(f"help context {number} ({where}) has no anchor \"{prefix}{number}\" in index.html")

    for name, page in pages.items():
        for attribute, value, line in page.links:
            if re.match(r"^[a-z][a-z0-9+.-]*:", value):  # https:, mailto: ...
                continue
            target, fragment = urldefrag(value)
            target_name = target or name
            target_path = (help_dir / target_name)
            if not target_path.exists():
                fail(f"{name}:{line}: {attribute}=\"{value}\": no file {target_name}")
                continue
            if fragment:
                if target_name not in pages:
                    fail(f"{name}:{line}: {attribute}=\"{value}\": {target_name} is not a help page")
                elif fragment not in pages[target_name].ids:
                    fail(f"{name}:{line}: {attribute}=\"{value}\": no anchor \"{fragment}\"")


def cli_help(cli):
    """Command names and their options, from `hozanki-cli --help`."""
    out = subprocess.run([cli, "--help"], capture_output=True, text=True, check=True).stdout
    commands = {}
    current = None
    in_commands = False
    for line in out.splitlines():
        if line.strip() == "Commands:":
            in_commands = True
            continue
        if not in_commands or not line.strip():
            continue
        # A command line is indented by two blanks; continuation lines by more,
        # unless they start a subcommand of the same command ("  template import").
        words = line.split()
        if line.startswith("  ") and not line.startswith("   ") and words[0] != (current or ""):
            current = words[0]
            commands[current] = set()
        if current:
            commands[current].update(re.findall(r"--[a-z][a-z-]*", line))
    return commands


def check_cli_docs(source_dir, cli):
    commands = cli_help(cli)
    if len(commands) < 2:
        fail(f"hozanki-cli --help lists {len(commands)} commands; the parser no longer understands it")
        return
    man = (source_dir / "packaging" / "man" / "hozanki-cli.1").read_text(encoding="utf-8")
    man_plain = man.replace("\\-", "-")
    completion = (source_dir / "packaging" / "bash-completion" / "hozanki-cli").read_text(encoding="utf-8")
    m = re.search(r'local commands="([^"]*)"', completion)
    completion_commands = set(m.group(1).split()) if m else set()
    help_page = (source_dir / "resources" / "help" / "index.html").read_text(encoding="utf-8")
    for command, options in sorted(commands.items()):
        if not re.search(rf"^\.SS {re.escape(command)}\b", man_plain, re.M):
            fail(f"hozanki-cli.1 has no section \".SS {command} ...\"")
        if command not in completion_commands:
            fail(f"the bash completion does not offer the command {command}")
        if f"<code>{command} " not in help_page and f"<code>{command}</code>" not in help_page:
            fail(f"the help page's command table does not name {command}")
        for option in sorted(options):
            if option not in man_plain:
                fail(f"hozanki-cli.1 does not describe {command} {option}")
            if option not in completion:
                fail(f"the bash completion does not offer {command} {option}")
    for extra in sorted(completion_commands - set(commands)):
        fail(f"the bash completion offers {extra}, which hozanki-cli does not know")


def check_convert_numbers(source_dir, cli):
    """The manual page's ".B name (N)" list of conversions against the table,
    as `hozanki-cli convert --help` prints it ("  name (N) caption")."""
    out = subprocess.run([cli, "convert", "--help"], capture_output=True, text=True).stdout
    table = {name: int(number) for name, number in re.findall(r"\s([a-z][a-z-]*) \((\d+)\) ", out)}
    if len(table) < 2:
        fail(f"hozanki-cli convert --help lists {len(table)} kinds; the parser no longer understands it")
        return
    man = (source_dir / "packaging" / "man" / "hozanki-cli.1").read_text(encoding="utf-8").replace("\\-", "-")
    section = re.search(r"^\.SS convert\b(.*?)^\.SS ", man, re.M | re.S)
    if not section:
        fail("hozanki-cli.1 has no section \".SS convert ...\" followed by another")
        return
    listed = {name: int(number) for name, number in
              re.findall(r"^\.B ([a-z][a-z-]*)\n\((\d+)\)", section.group(1), re.M)}
    for name, number in sorted(table.items(), key=lambda item: item[1]):
        if name not in listed:
            fail(f"hozanki-cli.1 does not list the conversion {name} ({number})")
        elif listed[name] != number:
            fail(f"hozanki-cli.1 gives the conversion {name} the number {listed[name]}; it is {number}")
    for name in sorted(set(listed) - set(table)):
        fail(f"hozanki-cli.1 lists the conversion {name} ({listed[name]}), which hozanki-cli does not know")


def check_versions(source_dir):
    m = re.search(r"project\(\s*Hozanki\s+VERSION\s+([\d.]+)", (source_dir / "CMakeLists.txt").read_text())
    if not m:
        fail("CMakeLists.txt: no project(Hozanki VERSION ...)")
        return
    version = m.group(1)
    for page in sorted((source_dir / "packaging" / "man").glob("*.1")):
        header = page.read_text(encoding="utf-8").split("\n", 1)[0]
        if f'"Hozanki {version}"' not in header:
            fail(f"{page.name}: the .TH line does not name Hozanki {version}: {header}")
    for metainfo in sorted((source_dir / "resources").glob("*.metainfo.xml")):
        releases = re.findall(r'<release\s+version="([^"]+)"', metainfo.read_text(encoding="utf-8"))
        if not releases or releases[0] != version:
            fail(f"{metainfo.name}: the newest release is {releases[:1]}, the project is {version}")


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    source_dir = pathlib.Path(sys.argv[1])
    check_help(source_dir)
    check_cli_docs(source_dir, sys.argv[2])
    check_convert_numbers(source_dir, sys.argv[2])
    check_versions(source_dir)
    for message in failures:
        print("FAIL:", message)
    if not failures:
        print("help anchors, help links, command-line documentation and versions agree with the code")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
