"""The string tables of a resource script, read as windres reads them, for the part of the
language the project's scripts use: STRINGTABLE blocks of entries `ID, "text"` or
`ID "text"` (the id a number or a name from the id headers), texts with the escapes \\"
\\\\ \\n \\t \\r and "" for a quote, // and /* */ comments, #include of another script
beside it, #define and #pragma code_page(65001). Anything else inside a string table, or a
preprocessor line that could change what the tables hold, is refused with its file and
line (RcError): a text read wrongly would go into the program unseen.

Also the menus (MENU blocks: POPUP, MENUITEM and MENUITEM SEPARATOR) as nested lists, for
the test that compares the libraries."""
import os
import re

ESCAPES = {'"': '"', "\\": "\\", "n": "\n", "t": "\t", "r": "\r"}
NUMBER = re.compile(r"-?(0[xX][0-9a-fA-F]+|[0-9]+)[lLuU]*$")
NAME = re.compile(r"[A-Za-z_][A-Za-z0-9_]*$")


class RcError(Exception):
    pass


def read_ids(paths):
    """Name -> number of every `#define NAME number` in the headers."""
    ids = {}
    for path in paths:
        with open(path, encoding="utf-8") as f:
            for line in f:
                m = re.match(r"\s*#\s*define\s+([A-Za-z_][A-Za-z0-9_]*)\s+(\S+)", line)
                if m and NUMBER.match(m.group(2)):
                    ids[m.group(1)] = int(m.group(2).rstrip("lLuU"), 0)
    return ids


class Token:
    def __init__(self, kind, value, where):
        self.kind, self.value, self.where = kind, value, where  # kind: "string", "word" or "punct"


def _string(text, i, where):
    """The quoted string starting at text[i]: (its characters, the index after it)."""
    out = []
    i += 1
    while True:
        if i >= len(text) or text[i] == "\n":
            raise RcError("%s: a string without its closing quote" % where)
        c = text[i]
        if c == '"':
            if text.startswith('""', i):
                out.append('"')
                i += 2
                continue
            return "".join(out), i + 1
        if c == "\\":
            e = text[i + 1:i + 2]
            if e not in ESCAPES:
                raise RcError("%s: the escape \\%s is not read here" % (where, e))
            out.append(ESCAPES[e])
            i += 2
            continue
        out.append(c)
        i += 1


def tokens(path, seen=()):
    """The tokens of the script and the scripts it includes, preprocessor lines read."""
    path = os.path.abspath(path)
    if path in seen:
        raise RcError("%s includes itself" % path)
    with open(path, encoding="utf-8-sig") as f:
        lines = f.read().split("\n")
    name = os.path.basename(path)
    in_comment = False
    for number, line in enumerate(lines, 1):
        where = "%s:%d" % (name, number)
        if not in_comment and line.lstrip().startswith("#"):
            yield from _directive(path, line.strip(), where, seen + (path,))
            continue
        i = 0
        while i < len(line):
            if in_comment:
                end = line.find("*/", i)
                if end < 0:
                    break
                in_comment, i = False, end + 2
            elif line.startswith("//", i):
                break
            elif line.startswith("/*", i):
                in_comment, i = True, i + 2
            elif line[i].isspace():
                i += 1
            elif line[i] == '"':
                value, i = _string(line, i, where)
                yield Token("string", value, where)
            elif re.match(r"[A-Za-z0-9_\-]", line[i]):
                m = re.match(r"-?[A-Za-z0-9_]+", line[i:])
                yield Token("word", m.group(0), where)
                i += len(m.group(0))
            else:
                yield Token("punct", line[i], where)
                i += 1


def _directive(path, line, where, seen):
    words = re.match(r"#\s*(\w+)\s*(.*)", line)
    if not words:
        raise RcError("%s: a preprocessor line not read here: %s" % (where, line))
    directive, rest = words.groups()
    if line.endswith("\\"):
        raise RcError("%s: a continued preprocessor line is not read here" % where)
    if directive == "define":
        return
    if directive == "pragma":
        if re.fullmatch(r"code_page\(\s*65001\s*\)", rest):
            return
        raise RcError("%s: #pragma %s is not read here (the scripts are UTF-8)" % (where, rest))
    if directive == "include":
        m = re.fullmatch(r'"([^"]+)"', rest)
        if not m or not m.group(1).endswith(".rc"):
            return  # a header: ids and macros, which the string tables take by name
        included = os.path.join(os.path.dirname(path), m.group(1))
        if not os.path.exists(included):
            raise RcError("%s: the included script %s is not there" % (where, m.group(1)))
        yield from tokens(included, seen)
        return
    raise RcError("%s: #%s is not read here: it could change what the tables hold" % (where, directive))


def _id(token, ids):
    if token.kind == "string":
        raise RcError("%s: a second string after a text: adjacent strings are not read here" % token.where)
    if token.kind == "word" and NUMBER.match(token.value):
        return int(token.value.rstrip("lLuU"), 0)
    if token.kind == "word" and NAME.match(token.value):
        if token.value not in ids:
            raise RcError("%s: the id %s is in no id header" % (token.where, token.value))
        return ids[token.value]
    raise RcError("%s: %r is no string id" % (token.where, token.value))


def _is_begin(token):
    return (token.kind, token.value) in (("word", "BEGIN"), ("punct", "{"))


def _is_end(token):
    return (token.kind, token.value) in (("word", "END"), ("punct", "}"))


def _next(stream, what):
    token = next(stream, None)
    if token is None:
        raise RcError("the script ends inside %s" % what)
    return token


def read_string_tables(rc_path, ids):
    """Id number -> (id as written, text) of every STRINGTABLE entry."""
    table = {}
    stream = iter(list(tokens(rc_path)))
    for token in stream:
        if token.kind != "word" or token.value != "STRINGTABLE":
            continue
        opening = _next(stream, "a STRINGTABLE")
        if not _is_begin(opening):
            raise RcError("%s: STRINGTABLE %s: options are not read here" % (opening.where, opening.value))
        while True:
            first = _next(stream, "a STRINGTABLE")
            if _is_end(first):
                break
            number = _id(first, ids)
            text = _next(stream, "a STRINGTABLE")
            if (text.kind, text.value) == ("punct", ","):
                text = _next(stream, "a STRINGTABLE")
            if text.kind != "string":
                raise RcError("%s: the text of %s is no quoted string" % (text.where, first.value))
            if number in table:
                raise RcError("%s: the id %s (%d) is in the string tables twice" % (first.where, first.value, number))
            table[number] = (first.value, text.value)
    return table


def read_menus(rc_path):
    """Menu id -> nested list of items: ("POPUP", [items]), ("ITEM", id) or ("SEPARATOR",), the
    ids as written (IDCANCEL and its kin come from windows.h, which is not read)."""
    menus = {}
    stream = iter(list(tokens(rc_path)))
    previous = None
    for token in stream:
        if token.kind == "word" and token.value == "MENU" and previous is not None:
            if previous.value in menus:
                raise RcError("%s: the menu %s is there twice" % (previous.where, previous.value))
            menus[previous.value] = _menu_items(stream, "menu " + previous.value)
        previous = token
    return menus


def _menu_items(stream, what):
    if not _is_begin(_next(stream, what)):
        raise RcError("%s: options are not read here" % what)
    items = []
    while True:
        token = _next(stream, what)
        if _is_end(token):
            return items
        if token.value == "POPUP":
            _next(stream, what)  # its text
            items.append(("POPUP", _menu_items(stream, what)))
        elif token.value == "MENUITEM":
            text = _next(stream, what)
            if text.value == "SEPARATOR":
                items.append(("SEPARATOR",))
                continue
            comma = _next(stream, what)
            if comma.value != ",":
                raise RcError("%s: MENUITEM without its id" % comma.where)
            items.append(("ITEM", _next(stream, what).value))
        else:
            raise RcError("%s: %s in a menu is not read here" % (token.where, token.value))
