#!/usr/bin/env python3
"""Writes the sample drawings in examples/: code page 932, CR LF, a title
block of six texts among other entities, each text a record of the newer
layout: one property, an upright matrix whose translation is the position
(lines n-21 and n-18 counted back from the terminator), one text line."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "examples")

# Title-block positions of these drawings (drawing units, mm).
POSITIONS = {
    "図番": (360.0, 22.5), "品名": (300.0, 32.5), "材料": (250.0, 32.5),
    "表面処理": (250.0, 22.5), "個数": (395.0, 32.5), "備考": (300.0, 12.5),
}


def text_block(x, y, text, height=3.5):
    # 31 lines before the terminator: n = 32, so X is line 11, Y line 14 and
    # the text line 30.
    lines = ["4", "3", "0", "1", "1", "1", "2", "4", "1", "0", fmt(x), "0", "1", fmt(y), "0",
             "0", "1", "0", "0", "hp_i3098_v", "hp_i3098_v", "0", "0", "3.5", fmt(height), "0",
             "1.5", "0", "1", text, "0"]
    return ["TEX"] + lines + ["|~"]


def line_entity(x1, y1, x2, y2):
    return ["LIN", "1", "0", fmt(x1), fmt(y1), fmt(x2), fmt(y2), "|~"]


def fmt(value):
    return ("%.3f" % value).rstrip("0").rstrip(".")


def drawing(name, fields, notes):
    out = ["#~1", "ENCODING:SJIS", "#~3", name, "", " 07-Dec-26", "#~71", "#~72"]
    # The frame and the title-block rules.
    for x1, y1, x2, y2 in [(0, 0, 420, 0), (420, 0, 420, 297), (420, 297, 0, 297), (0, 297, 0, 0),
                           (240, 0, 240, 40), (240, 40, 420, 40), (240, 20, 420, 20),
                           (290, 0, 290, 40), (350, 0, 350, 40), (385, 20, 385, 40)]:
        out += line_entity(x1, y1, x2, y2)
    for x, y, text in notes:
        out += text_block(x, y, text)
    for field, text in fields.items():
        x, y = POSITIONS[field]
        out += text_block(x + 0.4, y - 0.3, text)
    out.append("##~~")
    data = ("\r\n".join(out) + "\r\n").encode("cp932")
    with open(os.path.join(OUT, name + ".mi"), "wb") as f:
        f.write(data)


def labelled_drawing(name, cells, notes):
    """An A1 sheet of another template: its title block in the lower-right
    corner, a small label in the top-left corner of each cell and the value
    larger below it, so no set of positions for the A3 sheets fits it."""
    out = ["#~1", "ENCODING:SJIS", "#~3", name, "", " 07-Dec-26", "#~71", "#~72"]
    left, width, height = 661, 60, 14
    rows = (len(cells) + 2) // 3
    rules = [(0, 0, 841, 0), (841, 0, 841, 594), (841, 594, 0, 594), (0, 594, 0, 0)]
    for row in range(rows + 1):
        rules.append((left, row * height, 841, row * height))
    for column in range(3):
        rules.append((left + column * width, 0, left + column * width, rows * height))
    for x1, y1, x2, y2 in rules:
        out += line_entity(x1, y1, x2, y2)
    for x, y, text in notes:
        out += text_block(x, y, text, 5)
    for index, (label, value) in enumerate(cells):
        x = left + (index % 3) * width
        y = (rows - 1 - index // 3) * height
        out += text_block(x + 1.5, y + 10, label, 2.5)
        if value:
            out += text_block(x + 8, y + 2.5, value, 5)
    out.append("##~~")
    data = ("\r\n".join(out) + "\r\n").encode("cp932")
    with open(os.path.join(OUT, name + ".mi"), "wb") as f:
        f.write(data)


def main():
    os.makedirs(OUT, exist_ok=True)
    drawing("A-102", {"図番": "A-102", "品名": "ブラケット", "材料": "SS400", "表面処理": "ﾒｯｷ",
                      "個数": "2", "備考": ""},
            [(30, 260, "注記　１．指示なき角部はＣ０．５"), (30, 250, "２．バリなきこと")])
    drawing("A-10", {"図番": "A-10", "品名": "シャフト", "材料": "S45C", "表面処理": "焼入",
                     "個数": "1", "備考": "研削仕上げ"},
            [(30, 260, "表面粗さ ① Ra1.6"), (100, 150, "φ２０ｈ７")])
    drawing("A-2", {"図番": "A-2", "品名": "カバー（髙橋製作所）", "材料": "SPCC", "表面処理": "塗装",
                    "個数": "4", "備考": "板厚１．６～２．０"},
            [(30, 260, "展開図参照")])
    labelled_drawing("B-5", [("尺度", "1:2"), ("設計", "山田"), ("日付", "2026.12.08"),
                             ("品名", "ベースプレート"), ("材質", "SS400"), ("表面処理", "黒染め"),
                             ("図番", "B-5"), ("数量", "1"), ("備考", "")],
                     [(40, 560, "注記　１．指示なき面取りはＣ１"), (400, 300, "①"), (420, 120, "500")])
    with open(os.path.join(OUT, "positions.txt"), "w", encoding="utf-8") as f:
        values = []
        for field in ["図番", "品名", "材料", "表面処理", "個数", "備考"]:
            values += [fmt(v) for v in POSITIONS[field]]
        f.write(",".join(values) + "\n")


if __name__ == "__main__":
    main()
