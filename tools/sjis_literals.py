#!/usr/bin/env python3
"""Copies a C++ source with every non-ASCII character inside string and character
literals written as octal escapes of its code page 932 bytes.

clang has no -fexec-charset for Shift-JIS, so the fuzzing build compiles these copies
to get the same bytes at run time as the g++ builds. Octal escapes (at most three
digits) cannot run into the text that follows, and a 0x5C trail byte becomes \\134,
so it never escapes the closing quote. Comments and code stay as they are.

usage: sjis_literals.py INPUT OUTPUT
"""
import sys


def convert(text: str) -> str:
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            out.append(text[i:end])
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append(text[i:end])
            i = end
        elif c in "\"'":
            j = i + 1
            literal = [c]
            while j < n and text[j] != c and text[j] != "\n":
                if text[j] == "\\" and j + 1 < n:
                    literal.append(text[j:j + 2])
                    j += 2
                    continue
                ch = text[j]
                if ord(ch) < 0x80:
                    literal.append(ch)
                else:
                    literal.append("".join("\\%03o" % b for b in ch.encode("cp932")))
                j += 1
            literal.append(text[j:j + 1])
            out.append("".join(literal))
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def main() -> None:
    source, target = sys.argv[1], sys.argv[2]
    with open(source, encoding="utf-8") as f:
        text = f.read()
    with open(target, "w", encoding="utf-8") as f:
        f.write(convert(text))


if __name__ == "__main__":
    main()
