#!/usr/bin/env python3
"""Reads export files back with readers that know nothing of the program that wrote them.

    export_reader.py FORMAT SEPARATOR ENCLOSURE TERMINATOR FILE...

FORMAT is csv, text, xml or html; SEPARATOR, ENCLOSURE and TERMINATOR are hex (empty: "-").
Prints, for every file, "F <file>", then "H" and "R" lines (header and rows): the cells in
hex, separated by blanks, an empty cell as ".". Cell texts are taken back from the
backslash sequences of mysql_real_escape_string (\\0 \\n \\r \\t \\Z and the escaped
characters). XML is parsed by expat, HTML by html.parser; as those parsers work on
characters, bytes that are not UTF-8 or that HTML cannot hold travel as private-use characters
through html.parser and are turned back into the same bytes afterwards. XML files are parsed as
they stand: values that XML cannot hold are in base64, marked by a BASE64 child of their ROW.
"""
import base64
import html
import html.parser
import re
import sys
import xml.etree.ElementTree as ElementTree

ESCAPES = {b"0": b"\0", b"n": b"\n", b"r": b"\r", b"t": b"\t", b"Z": b"\x1a"}
PRIVATE = 0x10FE00  # plane 16, private use; the test data holds none of these
# Characters that expat or html.parser cannot take, to private-use ones and back.
TO_PRIVATE = {code: PRIVATE + code for code in range(0x20) if chr(code) not in "\t\n\r"}
TO_PRIVATE.update({0xDC00 + byte: PRIVATE + byte for byte in range(0x80, 0x100)})
FROM_PRIVATE = {PRIVATE + byte: (byte if byte < 0x80 else 0xDC00 + byte) for byte in range(0x100)}


def unescape(value):
    return re.sub(rb"\\(.)", lambda m: ESCAPES.get(m.group(1), m.group(1)), value, flags=re.DOTALL)


def delimited(data, separator, enclosure, terminator):
    """CSV and TEXT lines: fields between enclosures (when there are any), backslash escapes."""
    if enclosure:
        e = re.escape(enclosure)
        field = re.compile(e + rb"((?:[^\\" + e + rb"]|\\.)*)" + e, re.DOTALL)
    else:
        stops = re.escape(separator[:1] + terminator[:1])
        field = re.compile(rb"((?:[^\\" + stops + rb"]|\\.)*)", re.DOTALL)
    rows, row, i = [], [], 0
    while i < len(data):
        match = field.match(data, i)
        assert match, ("no field", i)
        row.append(unescape(match.group(1)))
        i = match.end()
        if data.startswith(terminator, i):
            rows.append(row)
            row = []
            i += len(terminator)
        else:
            assert data.startswith(separator, i), ("no separator", i)
            i += len(separator)
    assert not row, "last line without its terminator"
    return rows


def to_text(data):
    text = data.decode("utf-8", errors="surrogateescape")
    assert not any(PRIVATE <= ord(c) <= PRIVATE + 0xFF for c in text if ord(c) > 0xFFFF), "data in the private range"
    return text.translate(TO_PRIVATE)


def to_bytes(text):
    return text.translate(FROM_PRIVATE).encode("utf-8", errors="surrogateescape")


def xml_rows(data):
    """Parsed as the file stands: a strict parser must take every XML export. A column whose
    name is not an XML name has its ROW attribute in the FIELD's AttrName, a name written in
    base64 says Encoding="base64", and a row's values in base64 are named by BASE64 children."""
    root = ElementTree.fromstring(data)
    fields = root.find("METADATA/FIELDS")
    names, attributes = [], []
    for field in fields:
        name = field.get("FieldName")
        names.append(base64.b64decode(name, validate=True) if field.get("Encoding") == "base64" else name.encode())
        attributes.append(field.get("AttrName") or name)
    assert len(set(attributes)) == len(attributes), attributes
    rows = [names]
    for element in root.find("ROWDATA"):
        assert element.tag == "ROW", element.tag
        assert list(element.keys()) == attributes, (element.keys(), attributes)
        encoded = set()
        for child in element:
            assert child.tag == "BASE64" and child.get("AttrName") in attributes, (child.tag, child.attrib)
            encoded.add(child.get("AttrName"))
        rows.append(
            [
                unescape(base64.b64decode(element.get(a), validate=True) if a in encoded else element.get(a).encode())
                for a in attributes
            ]
        )
    return rows


class Table(html.parser.HTMLParser):
    """The cells of every row; an entity stays apart from text, so that &nbsp; (a blank, or an
    empty cell when it stands alone) is not taken for a no-break space of the data."""

    def __init__(self):
        super().__init__(convert_charrefs=False)
        self.rows, self.cell = [], None

    def handle_starttag(self, tag, attrs):
        if tag == "tr":
            self.rows.append([])
        elif tag == "td":
            self.cell = []

    def handle_endtag(self, tag):
        if tag == "td":
            self.rows[-1].append("" if self.cell == [None] else "".join(" " if c is None else c for c in self.cell))
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell.append(data)

    def handle_entityref(self, name):
        if self.cell is not None:
            self.cell.append(None if name == "nbsp" else html.unescape("&" + name + ";"))

    def handle_charref(self, name):
        if self.cell is not None:
            self.cell.append(html.unescape("&#" + name + ";"))


def html_rows(data):
    table = Table()
    table.feed(to_text(data))
    table.close()
    return [[to_bytes(table.rows[0][i]) for i in range(len(table.rows[0]))]] + [
        [unescape(to_bytes(cell)) for cell in row] for row in table.rows[1:]
    ]


def main():
    fmt, separator, enclosure, terminator = sys.argv[1], *(bytes.fromhex(a.strip("-")) for a in sys.argv[2:5])
    for path in sys.argv[5:]:
        with open(path, "rb") as file:
            data = file.read()
        if fmt == "xml":
            rows = xml_rows(data)
        elif fmt == "html":
            rows = html_rows(data)
        else:
            rows = delimited(data, separator, enclosure, terminator)
        print("F " + path)
        for number, row in enumerate(rows):
            print(("H " if number == 0 else "R ") + " ".join(cell.hex() or "." for cell in row))


if __name__ == "__main__":
    main()
