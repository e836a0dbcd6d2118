#!/usr/bin/env python3
# SPDX-License-Identifier: MPL-2.0
"""Writes the engine tests' hand-made documents next to this script.

  text.odt            an OpenDocument text (the tests rename it .wpd)
  blank.odt           an OpenDocument text with nothing in it
  macro-on-load.odt   a text whose Basic macro, bound to "open document",
                      would write <document>.ran next to the document
  page-number.odt     a text of two pages whose second page shows its page
                      number and the page count, stored with the wrong value 9
                      (only a layout gives them their values, 2 and 2)
  page-number-comment.odt  the same with a comment on its first page
  page-number-long.odt  the same with 60 pages, the field on the last one
  sheet.fods          a flat OpenDocument spreadsheet
  delay-code-wp6.wpd  the WordPerfect 6 sample with a delay code at the top of
                      its text: a page-group function (0xD1) holding, as a
                      delay code holds the codes it delays, bytes of its own
                      ("DELAYEDCODES")
  password-wp6.wpd    the WordPerfect 6 sample marked as password-protected
                      (a non-zero encryption key in its header, which is what
                      the import looks at)
"""
import os
import struct
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
NAMESPACES = {"office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
              "style": "urn:oasis:names:tc:opendocument:xmlns:style:1.0",
              "fo": "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0",
              "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
              "script": "urn:oasis:names:tc:opendocument:xmlns:script:1.0",
              "table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0", "xlink": "http://www.w3.org/1999/xlink",
              "ooo": "http://openoffice.org/2004/office", "dom": "http://www.w3.org/2001/xml-events",
              "dc": "http://purl.org/dc/elements/1.1/"}
CONTENT_NS = "".join(f'xmlns:{prefix}="{uri}" ' for prefix, uri in NAMESPACES.items())
XML = '<?xml version="1.0" encoding="UTF-8"?>\n'
DTD = '<!DOCTYPE {} PUBLIC "-//OpenOffice.org//DTD OfficeDocument 1.0//EN" "{}.dtd">\n'


def read(name):
    with open(os.path.join(HERE, name), "rb") as f:
        return f.read()


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def write_odt(name, paragraph, macro=None, styles=""):
    scripts = ""
    files = {}
    if macro:
        scripts = ('<office:scripts><office:event-listeners>'
                   '<script:event-listener script:language="ooo:script" script:event-name="dom:load" '
                   'xlink:type="simple" xlink:href="vnd.sun.star.script:Standard.Module1.OnLoad'
                   '?language=Basic&amp;location=document"/></office:event-listeners></office:scripts>')
        files["Basic/script-lc.xml"] = (
            XML + DTD.format("library:libraries", "libraries") + '<library:libraries '
            'xmlns:library="http://openoffice.org/2000/library" xmlns:xlink="http://www.w3.org/1999/xlink">'
            '<library:library library:name="Standard" library:link="false"/></library:libraries>')
        files["Basic/Standard/script-lb.xml"] = (
            XML + DTD.format("library:library", "library") + '<library:library '
            'xmlns:library="http://openoffice.org/2000/library" library:name="Standard" library:readonly="false" '
            'library:passwordprotected="false"><library:element library:name="Module1"/></library:library>')
        files["Basic/Standard/Module1.xml"] = (
            XML + DTD.format("script:module", "module") + '<script:module xmlns:script="http://openoffice.org/2000/'
            'script" script:name="Module1" script:language="StarBasic" script:moduleType="normal">' + macro
            + '</script:module>')
    files = {"content.xml": (XML + f'<office:document-content {CONTENT_NS} office:version="1.2">{scripts}{styles}'
                             f'<office:body><office:text><text:p>{paragraph}</text:p></office:text></office:body>'
                             '</office:document-content>'), **files}
    entries = ['<manifest:file-entry manifest:full-path="/" manifest:version="1.2" '
               'manifest:media-type="application/vnd.oasis.opendocument.text"/>']
    entries += [f'<manifest:file-entry manifest:full-path="{path}" manifest:media-type="text/xml"/>' for path in files]
    files["META-INF/manifest.xml"] = (XML + '<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:'
                                      'xmlns:manifest:1.0" manifest:version="1.2">' + "".join(entries)
                                      + '</manifest:manifest>')
    with zipfile.ZipFile(os.path.join(HERE, name), "w") as z:
        z.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.text",
                   compress_type=zipfile.ZIP_STORED)
        for path, text in files.items():
            z.writestr(path, text, compress_type=zipfile.ZIP_DEFLATED)


MACRO = """Sub OnLoad
  Dim n As Integer
  n = FreeFile
  Open ConvertFromURL(ThisComponent.getURL() &amp; ".ran") For Output As #n
  Print #n, "the macro ran"
  Close #n
End Sub
"""
PAGE_BREAK = ('<office:automatic-styles><style:style style:name="P1" style:family="paragraph">'
              '<style:paragraph-properties fo:break-before="page"/></style:style></office:automatic-styles>')
SECOND_PAGE = ('</text:p><text:p text:style-name="P1">This is page <text:page-number text:select-page="current">9'
               '</text:page-number> of <text:page-count>9</text:page-count>')

write_odt("text.odt", "An OpenDocument text under another name")
write_odt("blank.odt", "")
write_odt("macro-on-load.odt", "A document with a macro bound to its opening", MACRO)
write_odt("page-number.odt", "The first page" + SECOND_PAGE, styles=PAGE_BREAK)
write_odt("page-number-long.odt", "The first page" + "".join(
    f'</text:p><text:p text:style-name="P1">Page {n}' for n in range(2, 60)) + SECOND_PAGE, styles=PAGE_BREAK)
write_odt("page-number-comment.odt", "The first page<office:annotation><dc:creator>A reviewer</dc:creator><text:p>"
          "A comment</text:p></office:annotation>" + SECOND_PAGE, styles=PAGE_BREAK)
write("sheet.fods", (XML + f'<office:document {CONTENT_NS} office:version="1.2" '
                     'office:mimetype="application/vnd.oasis.opendocument.spreadsheet"><office:body><office:spreadsheet>'
                     '<table:table table:name="Sheet1"><table:table-row><table:table-cell><text:p>a cell</text:p>'
                     '</table:table-cell></table:table-row></table:table></office:spreadsheet></office:body>'
                     '</office:document>').encode())

data = bytearray(read("sample-wp6.wpd"))
# A variable-length function group: id, subgroup, size, flags, size of the
# non-deletable part, contents, size again, id again.
text_start = struct.unpack_from("<I", data, 4)[0]
inner = b"DELAYEDCODES"
size = 1 + 1 + 2 + 1 + 2 + len(inner) + 2 + 1
group = b"\xD1\x0E" + struct.pack("<HBH", size, 0, len(inner)) + inner + struct.pack("<H", size) + b"\xD1"
write("delay-code-wp6.wpd", bytes(data[:text_start]) + group + bytes(data[text_start:]))
data[12:14] = b"\x5a\xa5"  # the header's encryption key: non-zero means protected
write("password-wp6.wpd", data)

# The WordPerfect 6 picture sample (2 WPG pictures in page-anchored boxes).
pictures = read("pictures-wp6.wpd")
# Its two picture boxes: box function groups (0xDF) in the text stream, each
# naming the packets of its picture. Copies of a group are more boxes showing
# the same picture at the same place. (Found by trying: copying any other
# box group of the document adds no picture.)
PICTURE_BOXES = [(1075617, 121), (1080197, 119)]
twelve = pictures
for start, size in reversed(PICTURE_BOXES):
    assert pictures[start] == 0xDF and pictures[start + size - 1] == 0xDF
    assert struct.unpack_from("<H", pictures, start + 2)[0] == size
    twelve = twelve[:start] + twelve[start:start + size] * 6 + twelve[start + size:]
write("pictures12-wp6.wpd", twelve)

# One picture damaged: the first WPG picture's data (the "graphics cached
# file data" packet, type 0x6F) loses its header, so no reader takes it for
# a picture; the document and the other picture are untouched.
index_header = struct.unpack_from("<H", pictures, 14)[0]
damaged = bytearray(pictures)
for i in range(struct.unpack_from("<H", pictures, index_header + 2)[0] - 1):
    flags, kind, _, _, size, offset = struct.unpack_from("<BBHHII", pictures, index_header + 14 + 14 * i)
    if kind == 0x6F and size > 0:
        damaged[offset:offset + 16] = bytes(16)
        break
write("picture-damaged-wp6.wpd", damaged)

# The first picture box copied to two more places: inside its paragraph,
# after the words "Geen van de " (WordPerfect's spaces are 0x80 there), and
# into the table cell "p=0,034" of the first table: 4 pictures.
text_start = struct.unpack_from("<I", pictures, 4)[0]
first_box = pictures[PICTURE_BOXES[0][0]:PICTURE_BOXES[0][0] + PICTURE_BOXES[0][1]]
in_paragraph = pictures.index(b"zojuist\x80besproken", text_start)
in_cell = pictures.index(b"p=0,034", text_start)
assert PICTURE_BOXES[0][0] < in_paragraph < in_cell
write("pictures-placed-wp6.wpd", pictures[:in_paragraph] + first_box + pictures[in_paragraph:in_cell] + first_box
      + pictures[in_cell:])

# A WordPerfect 5.1 document with pictures: the 5.1 sample with a WordPerfect
# Graphics 1 picture (a filled rectangle crossed by a line, 2 x 1 in) in its
# graphics information packet (type 8: a count, the sizes, the pictures) and
# two figure boxes (function 0xDA, subgroup 0) showing it at the start of its
# text: one against the page, 1 in from its left and 2 in from its top, one
# at the top of its paragraph.
wpg = bytearray(b"\xffWPC" + struct.pack("<I", 16) + bytes([1, 0x16, 1, 0]) + bytes(4))
for kind, data in [(0x0F, struct.pack("<BBHH", 1, 0, 2400, 1200)),    # start: 2 x 1 in
                   (0x01, bytes([1, 12])),                              # fill: solid, colour 12
                   (0x07, struct.pack("<hhhh", 0, 0, 2400, 1200)),      # rectangle
                   (0x05, struct.pack("<hhhh", 0, 0, 2400, 1200)),      # line
                   (0x10, b"")]:                                        # end
    wpg += bytes([kind, len(data)]) + data
wp51 = bytearray(read("sample-wp51.wpd"))
text_start = struct.unpack_from("<I", wp51, 4)[0]
packet = struct.pack("<HI", 1, len(wpg)) + bytes(wpg)
block = 16
while block:
    for i in range(1, struct.unpack_from("<H", wp51, block + 2)[0]):
        if struct.unpack_from("<H", wp51, block + 10 * i)[0] == 8:
            struct.pack_into("<II", wp51, block + 10 * i + 2, len(packet), text_start)
    block = struct.unpack_from("<I", wp51, block + 6)[0]


def figure(position_and_type, alignment, x, y):
    contents = (struct.pack("<HBBHHHH", 1, position_and_type, alignment, 2400, 1200, x, y) + bytes(36)
                + bytes([0x80]) + bytes(60) + struct.pack("<H", 0))
    size = struct.pack("<H", len(contents) + 4)
    return b"\xDA\x00" + size + contents + size + b"\x00\xDA"


# Page: anchor 1, vertical "set position" (4); paragraph: anchor 0, top (1).
boxes = figure((4 << 2) | 1, 0x80, 1200, 2400) + figure((1 << 2) | 0, 0x80, 0, 0)
wp51[4:8] = struct.pack("<I", text_start + len(packet))
write("pictures-wp51.wpd", bytes(wp51[:text_start]) + packet + boxes + bytes(wp51[text_start:]))
