#!/usr/bin/env python3
"""Checks the user manuals against the program.

  manual_test.py examples FILTER SOURCE.md...
      runs every before/after example of the sources through the command-line filter
      with the example's options and compares the result with the text the manual shows
  manual_test.py pdf CAPTIONS_H MANUAL.pdf
      the PDF names every caption of the dialog and the tray menu, and embeds its fonts
  manual_test.py messages SOURCE_ROOT SOURCE.md...
      every message a troubleshooting heading quotes is one the program's sources hold
"""
import glob
import json
import os
import re
import subprocess
import sys
import tempfile

# Stand-ins the manuals use for blanks a reader could not see (see scripts/manual.lua).
STAND_INS = {"\u21e5": "\t", "\u2423": " "}


def real_text(shown):
    for mark, byte in STAND_INS.items():
        shown = shown.replace(mark, byte)
    return shown


def examples(node):
    """Yields (caption, options, rules, before, after) for every example div."""
    if isinstance(node, list):
        for item in node:
            yield from examples(item)
    elif isinstance(node, dict):
        if node.get("t") == "Div":
            (_, classes, attrs), content = node["c"]
            if "example" in classes:
                rules, texts = None, []
                for block in content:
                    if block["t"] == "CodeBlock":
                        (_, block_classes, _), text = block["c"]
                        if "rules" in block_classes:
                            rules = text
                        else:
                            texts.append(text)
                options = dict(attrs).get("options", "").split()
                yield " ".join(options), options, rules, texts[0], texts[1]
                return
        for value in node.values():
            yield from examples(value)


def check_examples(filter_path, sources):
    failures = count = 0
    with tempfile.TemporaryDirectory() as tmp:
        rules_path = os.path.join(tmp, "rules.txt")
        for source in sources:
            doc = json.loads(subprocess.run(
                ["pandoc", "--from", "markdown-smart+east_asian_line_breaks", "--to", "json", source],
                check=True, capture_output=True).stdout)
            for name, options, rules, before, after in examples(doc["blocks"]):
                count += 1
                args = [filter_path] + options
                if rules is not None:
                    with open(rules_path, "wb") as f:
                        f.write(real_text(rules).replace("\n", "\r\n").encode("cp932"))
                    args.append("FilterFile=" + rules_path)
                copied = real_text(before).replace("\n", "\r\n").encode("cp932")
                run = subprocess.run(args, input=copied, capture_output=True)
                got = run.stdout.decode("cp932", "replace").replace("\r\n", "\n")
                if run.returncode != 0 or got != real_text(after):
                    failures += 1
                    print(f"FAIL {os.path.basename(source)} [{name}]: {before!r} gives "
                          f"{got!r}, the manual shows {real_text(after)!r} {run.stderr!r}")
    print(f"{count} examples, {failures} wrong")
    return failures == 0 and count > 0


def c_string(literals):
    """The bytes of adjacent C string literals with \\x, \\\\ and \\" escapes."""
    out = bytearray()
    for literal in re.findall(r'"((?:[^"\\]|\\.)*)"', literals):
        i = 0
        while i < len(literal):
            if literal[i] == "\\" and literal[i + 1] == "x":
                digits = re.match(r"[0-9A-Fa-f]+", literal[i + 2:]).group()
                out.append(int(digits, 16))
                i += 2 + len(digits)
            elif literal[i] == "\\":
                out += literal[i + 1].encode()
                i += 2
            else:
                out += literal[i].encode()
                i += 1
    return bytes(out)


def captions(header):
    text = open(header, encoding="ascii").read()
    found = re.findall(r"constexpr char (k(?:Caption|Item|Menu)\w+)\[\] =\s*((?:\"(?:[^\"\\]|\\.)*\"\s*)+);",
                       text)
    # The menus show an accelerator "&X" as an underlined X.
    return {name: c_string(value).decode("cp932").replace("&", "") for name, value in found}


def check_pdf(header, pdf):
    ok = True
    text = subprocess.run(["pdftotext", pdf, "-"], check=True, capture_output=True, text=True).stdout
    flat = re.sub(r"\s+", "", text)
    wanted = captions(header)
    for name, caption in wanted.items():
        if re.sub(r"\s+", "", caption) not in flat:
            ok = False
            print(f"FAIL {os.path.basename(pdf)} lacks {name} {caption!r}")
    fonts = subprocess.run(["pdffonts", pdf], check=True, capture_output=True, text=True).stdout
    lines = fonts.splitlines()
    # The columns are as wide as the dashes under the header; "emb" is the fourth.
    spans = [m.span() for m in re.finditer(r"-+", lines[1])]
    embedded = [line[spans[3][0]:spans[3][1]].strip() for line in lines[2:]]
    if not embedded or any(e != "yes" for e in embedded):
        ok = False
        print(f"FAIL {os.path.basename(pdf)} fonts not all embedded:\n{fonts}")
    print(f"{os.path.basename(pdf)}: {len(wanted)} captions, {len(embedded)} fonts")
    return ok


# Comments and character literals are read past, so that a quote mark in them opens no string.
TOKEN = re.compile(r'//[^\n]*|/\*.*?\*/|\'(?:[^\'\\\n]|\\.)*\'|"(?:[^"\\\n]|\\.)*"', re.S)


def program_texts(root):
    """Every run of adjacent string literals in the program's sources, decoded."""
    texts = []
    for path in glob.glob(os.path.join(root, "*", "*.h")) + glob.glob(os.path.join(root, "*", "*.cpp")):
        source = open(path, encoding="ascii", errors="replace").read()
        run, end = "", 0
        for token in TOKEN.finditer(source):
            if not token.group().startswith('"'):
                run = ""
            else:
                run = (run if not source[end:token.start()].strip() else "") + token.group()
                texts.append(c_string(run).decode("cp932", "replace"))
            end = token.end()
    return texts


# A heading that quotes a message: 「...」と表示される in Japanese, "..." (meaning) in English.
QUOTING_HEADING = re.compile(r'^## (?:\u300c(.+)\u300d(?:\u306a\u3069)?\u3068\u8868\u793a\u3055\u308c\u308b'
                             r'|"(.+)" (?:\(|and the like))')


def check_messages(root, sources):
    def bare(text):  # blanks and quote marks vary with the sentence around a message
        return re.sub(r'[\s"]', "", text)
    texts = [bare(t) for t in program_texts(root)]
    failures = count = 0
    for source in sources:
        for line in open(source, encoding="utf-8"):
            found = QUOTING_HEADING.match(line)
            if not found:
                continue
            count += 1
            quoted = found.group(1) or found.group(2)
            # "\u2026" stands for what the program fills in: a path, a key, a number.
            for piece in filter(None, map(bare, quoted.split("\u2026"))):
                if not any(piece in t for t in texts):
                    failures += 1
                    print(f"FAIL {os.path.basename(source)} quotes {quoted!r}: no message holds {piece!r}")
    print(f"{count} quoted messages, {failures} not in the program")
    return failures == 0 and count > 0


def main(argv):
    if len(argv) >= 3 and argv[0] == "examples":
        return 0 if check_examples(argv[1], argv[2:]) else 1
    if len(argv) == 3 and argv[0] == "pdf":
        return 0 if check_pdf(argv[1], argv[2]) else 1
    if len(argv) >= 3 and argv[0] == "messages":
        return 0 if check_messages(argv[1], argv[2:]) else 1
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
