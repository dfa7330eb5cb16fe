#!/usr/bin/env python3
"""Writes the document view's benchmark documents into a folder: a book of about 2 MB with
long tables (book.htm) and a page as a word processor saves it (wordproc.htm: conditional
comments, downlevel-revealed blocks, style blocks, office namespaces, windows-1250).
Usage: make_documents.py <folder>"""
import os
import sys

WORDS = ["contabilitate", "gestiune", "salarii", "balanţa", "jurnal", "declaraţie", "furnizor",
         "client", "stoc", "factură", "încasare", "plată", "cont", "analitic", "sintetic",
         "amortizare", "registru", "închidere", "lună", "exerciţiu"]


def sentence(n, length):
    return " ".join(WORDS[(n * 7 + i * 3) % len(WORDS)] for i in range(length))


def grow(head, tail, target, block):
    """head, then block(1), block(2), ... (each a list of lines) until target bytes, then tail."""
    parts = [head]
    size = len(head)
    n = 0
    while size < target:
        n += 1
        text = "\n".join(block(n))
        parts.append(text)
        size += len(text.encode("cp1250"))
    parts.append(tail)
    return "\n".join(parts)


def book_chapter(chapter):
    block = [f"<h1>Capitolul {chapter}</h1>"]
    for section in range(1, 5):
        block.append(f"<h2>{chapter}.{section} {sentence(chapter + section, 4)}</h2>")
        for p in range(6):
            block.append(f"<p>{sentence(chapter * 31 + section * 7 + p, 70)}. "
                         f"<b>{sentence(p, 3)}</b> <i>{sentence(p + 1, 5)}</i>.</p>")
    # A long table: a register of the month, one row a day and account.
    block.append("<table border=1 cellpadding=2 cellspacing=0 width=\"100%\">"
                 "<tr><th>Nr.</th><th>Data</th><th>Cont debitor</th><th>Cont creditor</th>"
                 "<th>Explicaţie</th><th align=right>Suma</th></tr>")
    for row in range(120):
        block.append(f"<tr><td>{row + 1}</td><td>{row % 28 + 1:02}.{chapter % 12 + 1:02}.2026"
                     f"</td><td>{401 + row % 90}</td><td>{5121 + row % 7}</td>"
                     f"<td>{sentence(row + chapter, 4)}</td>"
                     f"<td align=right>{(row * 7919 + chapter * 104729) % 1000000 / 100:.2f}"
                     "</td></tr>")
    block.append("</table>")
    return block


def book(target):
    head = ("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
            "charset=windows-1250\"><title>Manualul utilizatorului</title></head><body>")
    return grow(head, "</body></html>", target, book_chapter)


def word_processor_page(target):
    head = """<html xmlns:v="urn:schemas-microsoft-com:vml"
xmlns:o="urn:schemas-microsoft-com:office:office"
xmlns:w="urn:schemas-microsoft-com:office:word"
xmlns="http://www.w3.org/TR/REC-html40">
<head>
<meta http-equiv=Content-Type content="text/html; charset=windows-1250">
<meta name=ProgId content=Word.Document>
<meta name=Generator content="Word processor">
<title>Instructiuni de instalare</title>
<!--[if gte mso 9]><xml>
 <o:DocumentProperties>
  <o:Author>Serviciul clienti</o:Author>
  <o:Pages>12</o:Pages>
 </o:DocumentProperties>
</xml><![endif]--><!--[if gte mso 9]><xml>
 <w:WordDocument>
  <w:Zoom>100</w:Zoom>
  <w:DoNotOptimizeForBrowser/>
 </w:WordDocument>
</xml><![endif]-->
<style>
<!--
 /* Font Definitions */
 @font-face
	{font-family:Tahoma;
	panose-1:2 11 6 4 3 5 4 4 2 4;
	mso-font-charset:238;}
 /* Style Definitions */
 p.MsoNormal, li.MsoNormal, div.MsoNormal
	{mso-style-parent:"";
	margin:0cm;
	margin-bottom:.0001pt;
	font-size:12.0pt;
	font-family:"Times New Roman";
	mso-fareast-font-family:"Times New Roman";}
h1
	{mso-style-next:Normal;
	margin-top:12.0pt;
	font-size:16.0pt;
	font-family:Arial;
	mso-font-kerning:16.0pt;}
@page Section1
	{size:595.3pt 841.9pt;
	margin:72.0pt 90.0pt 72.0pt 90.0pt;}
div.Section1
	{page:Section1;}
 /* List Definitions */
 @list l0
	{mso-list-id:1;}
-->
</style>
<!--[if gte mso 10]>
<style>
 table.MsoNormalTable
	{mso-style-name:"Table Normal";
	mso-tstyle-rowband-size:0;}
</style>
<![endif]-->
</head>
<body lang=RO style='tab-interval:36.0pt'>
<div class=Section1>
"""
    return grow(head, "</div>\n</body>\n</html>\n", target, word_processor_section)


def word_processor_section(n):
    block = [f"<h1>{n}. {sentence(n, 3)}<o:p></o:p></h1>"]
    for p in range(5):
        block.append(f"<p class=MsoNormal style='margin-left:18.0pt;text-indent:-18.0pt;"
                     f"mso-list:l0 level1 lfo1'><![if !supportLists]><span "
                     f"style='font-family:Symbol'>·<span style='font:7.0pt \"Times New "
                     f"Roman\"'>&nbsp;&nbsp;&nbsp; </span></span><![endif]>"
                     f"{sentence(n * 13 + p, 25)}<o:p></o:p></p>")
    block.append(f"<p class=MsoNormal><span style='font-size:10.0pt;font-family:Tahoma;"
                 f"mso-bidi-font-family:Tahoma'>{sentence(n, 60)}</span><o:p></o:p></p>")
    block.append("<!--[if !supportEmptyParas]-->&nbsp;<!--[endif]--><o:p></o:p>")
    block.append("<table class=MsoNormalTable border=1 cellspacing=0 cellpadding=0 "
                 "style='border-collapse:collapse;mso-table-layout-alt:fixed'>")
    for row in range(6):
        cells = "".join(f"<td width=120 valign=top style='width:90.0pt;border:solid windowtext "
                        f"1.0pt;padding:0cm 5.4pt 0cm 5.4pt'><p class=MsoNormal>"
                        f"{sentence(row + col + n, 2)}<o:p></o:p></p></td>"
                        for col in range(4))
        block.append(f"<tr style='mso-yfti-irow:{row}'>{cells}</tr>")
    block.append("</table>")
    return block


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, text in (("book.htm", book(2 << 20)), ("wordproc.htm", word_processor_page(300_000))):
        with open(os.path.join(folder, name), "wb") as out:
            out.write(text.replace("\n", "\r\n").encode("cp1250"))


if __name__ == "__main__":
    main()
