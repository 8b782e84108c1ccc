#!/usr/bin/env python3
"""Make a labelled corpus of Turkish read sentences with modelled durations.

The corpus is synthetic: sentences are built from a word list written for this
project (in the one-byte transliteration: C G I O S U are c-cedilla,
soft g, dotless i, o-umlaut, s-cedilla, u-umlaut) by a few Turkish word-order
templates, and every segment gets a duration from the model below. The same
seed and parameters always give the same files, byte for byte.

Output, under --out:
  <corpus-dir>/NNNN.lab   one labelled file per sentence (in subfolders of
                          --per-dir files when --per-dir is set); the .lab
                          files that an earlier run of this script wrote in
                          the corpus folder or its numbered subfolders and
                          that this run does not write are removed; other
                          .lab files there are kept and counted on stderr
  labels.txt              the labelled-file paths, one per line, relative to
                          --out (replaced)
  hepsi.txt               the triphone list: three lines per entry; the first
                          three characters of the first line are the triphone,
                          the second line is its number of occurrences in the
                          corpus, the third the class of its centre letter
                          (replaced)

Label string of a sentence: Z word Z word ... Z (a pause label before the
first word, one between words, one after the last).

Labelled file: a few header lines, a line '#', then one line per segment:
end time in seconds (cumulative, never decreasing), colour number, label.
The first two header lines, 'segdur sample corpus' and 'file ' followed by the
file's own name, mark the files this script writes: only a file that carries
them is removed as a file of an earlier run.

Accepted words: a word is kept only when the syllable cutter of the analysis
(a code string of vowels '1', other letters '0' and separators '.', cut by the
first matching row of a fixed 21-row pattern table) cuts it completely and it
has at most 14 syllables; other words are dropped with a note on stderr.

Duration model (seconds), applied segment by segment:
  d = (base[class] + offset[letter]) * context * rate * noise
  base[class]:  vowel 0.070, nasal 0.055, voiced stop 0.060,
                unvoiced stop 0.075, voiced fricative 0.065,
                unvoiced fricative 0.090, semi-vowel 0.050, h 0.060,
                other consonants (c C j G) by the class they sound like
  offset[letter]: small per-letter corrections (e.g. a +8 ms, I -12 ms,
                r -12 ms, S +12 ms, G -25 ms)
  context factors, multiplied:
    vowel in an open syllable                         x 1.15
    vowel in the word's last syllable (stress)        x 1.12
    any segment of the word's last syllable           x 1.08
    any segment of the last syllable of the sentence  x 1.30
    other segments of the sentence's last word        x 1.05
    consonant next to another consonant in its word   x 0.85
  rate:  one per sentence, lognormal with sigma 0.08 (speaking rate)
  noise: one per segment, lognormal with sigma 0.12; no segment below 15 ms
  pauses: before the first word uniform 0.15-0.40 s; between words a short
          boundary of 2-12 ms (3 in 4) or a pause of 60-300 ms (1 in 4);
          after the last word uniform 0.20-0.50 s.
End times are printed with five decimals.
"""

import argparse
import math
import os
import random
import stat
import sys

SEPARATOR = "Z"
MAX_SYLLABLES = 14
COLOUR = 121
HEADER = "segdur sample corpus"   # first line of every labelled file

# Vowel codes of the syllable cutter (wider than the alphabet's eight vowels).
VOWEL_CODES = set("aeiouAEIOUY123")
ALPHABET = "abcCdefgGhIijklmnoOprsStuUvyz"
VOWELS = "aeIioOuU"

# (pattern, length, type) tried in order at every position.
PATTERN_TABLE = [
    ("001.", 3, 7), ("0010.", 4, 8), ("00101", 3, 7), ("00100.", 5, 10),
    ("001000", 5, 10), ("001001", 4, 8), ("01.", 2, 3), ("0101", 2, 3),
    ("0100.", 4, 9), ("01000", 4, 9), ("01001", 3, 5), ("011", 2, 3),
    ("1.", 1, 1), ("10.", 2, 2), ("101", 1, 1), ("100.", 3, 6),
    ("1001", 2, 2), ("1000", 3, 6), ("010.", 3, 5), ("11", 1, 1),
    ("0.", 1, 4),
]

CLASS_OF = {}
for _letters, _cls in (("aeIioOuU", "vowel"), ("mn", "nasal"), ("bdgc", "voiced stop"),
                       ("kptC", "unvoiced stop"), ("zvj", "voiced fricative"),
                       ("Sfs", "unvoiced fricative"), ("lryG", "semi-vowel"), ("h", "h")):
    for _l in _letters:
        CLASS_OF[_l] = _cls
CLASS_OF[SEPARATOR] = "pause"

BASE = {
    "vowel": 0.070, "nasal": 0.055, "voiced stop": 0.060, "unvoiced stop": 0.075,
    "voiced fricative": 0.065, "unvoiced fricative": 0.090, "semi-vowel": 0.050,
    "h": 0.060,
}
OFFSET = {
    "a": 0.008, "e": 0.004, "I": -0.012, "i": -0.010, "o": 0.004, "O": 0.002,
    "u": -0.008, "U": -0.008, "r": -0.012, "l": -0.004, "y": -0.006,
    "S": 0.012, "s": 0.006, "z": 0.004, "C": 0.010, "c": 0.004, "k": 0.004,
    "G": -0.025, "h": -0.004, "n": 0.002,
}

# Words by role, written for this corpus. Every word is checked by accepted().
SUBJECTS = """ben sen o biz siz onlar herkes adam kadIn Cocuk OGretmen OGrenci
doktor annem babam kardeSim arkadaSIm komSumuz mUdUr SofOr kedi kOpek kuS
balIkCI satIcI yazar CiftCi hemSire polis aSCI garson mUhendis ressam
Sarkici dedem ninem teyzem amcam kIzIm oGlum misafir yolcu bekCi
""".split()
OBJECTS = """kitabI mektubu kapIyI pencereyi haberi SarkIyI ekmeGi suyu CayI
kahveyi elmayI arabayI evi odayI soruyu cevabI yemeGi parayI resmi filmi
gazeteyi bileti anahtarI masayI sandalyeyi defteri kalemi CiceGi topu
bahCeyi mektuplarI kitaplarI Cantasini SiSeyi bardaGI tabaGI Corbayi
hikayeyi masalI dersi sInavI iSi planI haritayI saati telefonu bilgisayarI
""".split()
PLACES = """eve okula iSe pazara denize Sehre kOye parka bahCeye mutfaGa
sinemaya hastaneye istasyona limana Carsiya evde okulda bahCede mutfakta
sokakta Sehirde kOyde istasyonda hastanede parkta ofiste dUkkanda
evden okuldan iSten Carsidan kOyden Sehirden denizden ormandan
daGa daGda gOle gOlde nehre nehirde adaya adada
""".split()
ADJECTIVES = """bUyUk kUCUk gUzel yeni eski uzun kIsa sIcak soGuk kIrmIzI
beyaz siyah mavi yeSil sarI temiz kirli ucuz pahalI iyi kOtU zor kolay
hIzlI yavaS genC yaSlI gUzel tatlI acI tuzlu derin geniS dar aGIr hafif
yUksek alCak karanlIk aydInlIk sessiz kalabalIk boS dolu
""".split()
NUMBERS = """bir iki UC dOrt beS altI yedi sekiz dokuz on yirmi otuz elli yUz bin
birkaC birCok her bu Su""".split()
TIMES = """bugUn yarIn dUn sabah akSam Simdi sonra hemen bazen erken geC
gece Oglende haftaya geCen yIl kISIn yazIn baharda sonbaharda""".split()
ADVERBS = """Cok biraz yine artIk hep hiC daha en Cabuk yavaSCa dikkatle
sessizce birlikte yalnIz gerCekten belki mutlaka""".split()
VERBS = """geldi gitti okudu yazdI aldI verdi gOrdU sOyledi buldu bekledi
istiyor geliyor gidiyor okuyor yazIyor seviyor biliyor anlIyor
CalISIyor oynuyor yapacak gelecek gidecek alacak verecek bakacak
dinledi aCtI kapattI yedi iCti uyudu koStu gUldU aGladI sattI Odedi
temizledi hazIrladI piSirdi anlattI sordu dUSUndU hatIrladI unuttu
baSladI bitirdi getirdi gOtUrdU tanIdI sevdi bekliyor gOrUSecekler
dinleyecekmiSsiniz yazmIStI gelmiSti okumalIyIz gitmeliyim
""".split()
CONJUNCTIONS = """ve ama Cunku ile iCin gibi kadar sonra""".split()
LONG_WORDS = """OGretmenlerimizden CalISkanlIklarIndan kitaplarImIzdakiler
UniversitedekilerdenmiSsiniz kUtUphanelerimizdeki gOrUSemeyeceGimizi
Cekoslovakyalilastiramadiklarimizdanmisinizcasina strateji
""".split()


def code_string(text):
    """The cutter's code string: '.' for the separator, '1' vowel code, '0' else."""
    codes = []
    for ch in text:
        if ch == SEPARATOR:
            codes.append(".")
        elif ch in VOWEL_CODES:
            codes.append("1")
        else:
            codes.append("0")
    if not codes or codes[-1] != ".":
        codes.append(".")
    return "".join(codes)


def syllabify(text):
    """Cut `text` (no leading separator) into syllables.

    Returns the list of (start, end) positions of each syllable in `text`
    (end excludes a closing separator), or None when no row matches somewhere.
    """
    codes = code_string(text)
    limit = len(codes) - 1
    pos = 0
    syllables = []
    while pos < limit:
        for pattern, length, _type in PATTERN_TABLE:
            if codes.startswith(pattern, pos):
                syllables.append((pos, pos + length))
                pos += length
                if pos < len(codes) and codes[pos] == ".":
                    pos += 1
                break
        else:
            return None
    return syllables


def accepted(word):
    """Whether `word` uses the alphabet only, cuts completely and has at most 14 syllables."""
    if not word or any(ch not in ALPHABET for ch in word):
        return False
    syllables = syllabify(word + SEPARATOR)
    return syllables is not None and 1 <= len(syllables) <= MAX_SYLLABLES


class Word:
    """A word with the part of every segment's duration that does not depend on its place."""

    def __init__(self, text):
        self.text = text
        syllables = syllabify(text + SEPARATOR)
        n = len(syllables)
        self.base = []        # duration before the sentence-final factors
        self.in_last = []     # segment lies in the word's last syllable
        for s, (start, end) in enumerate(syllables):
            open_syllable = text[end - 1] in VOWELS
            last = s == n - 1
            for i in range(start, end):
                ch = text[i]
                cls = CLASS_OF[ch]
                d = BASE[cls] + OFFSET.get(ch, 0.0)
                if cls == "vowel":
                    if open_syllable:
                        d *= 1.15
                    if last:
                        d *= 1.12
                else:
                    neighbours = [text[j] for j in (i - 1, i + 1) if 0 <= j < len(text)]
                    if any(CLASS_OF[c] != "vowel" for c in neighbours):
                        d *= 0.85
                if last:
                    d *= 1.08
                self.base.append(d)
                self.in_last.append(last)


def build_words():
    """The word lists by role, with rejected words dropped (noted on stderr)."""
    roles = {
        "subject": SUBJECTS, "object": OBJECTS, "place": PLACES, "adjective": ADJECTIVES,
        "number": NUMBERS, "time": TIMES, "adverb": ADVERBS, "verb": VERBS,
        "conjunction": CONJUNCTIONS, "long": LONG_WORDS,
    }
    result = {}
    cache = {}
    for role, words in roles.items():
        kept = []
        for w in words:
            if accepted(w):
                if w not in cache:
                    cache[w] = Word(w)
                kept.append(cache[w])
            else:
                print("make_corpus: dropped word %r (not accepted by the syllable cutter "
                      "or over %d syllables)" % (w, MAX_SYLLABLES), file=sys.stderr)
        result[role] = kept
    return result


def make_sentence(rng, words, n_words):
    """A sentence of exactly `n_words` words: subject, complements, verb; long ones
    may join two clauses with a conjunction."""
    def complement():
        kind = rng.random()
        if kind < 0.30:
            return [rng.choice(words["adjective"]), rng.choice(words["object"])]
        if kind < 0.50:
            return [rng.choice(words["place"])]
        if kind < 0.62:
            return [rng.choice(words["number"]), rng.choice(words["object"])]
        if kind < 0.74:
            return [rng.choice(words["time"])]
        if kind < 0.86:
            return [rng.choice(words["adverb"])]
        if kind < 0.96:
            return [rng.choice(words["object"])]
        return [rng.choice(words["long"])]

    def clause(n):
        if n == 1:
            return [rng.choice(words["verb"])]
        middle = []
        while len(middle) < n - 2:
            middle.extend(complement())
        middle = middle[:n - 2]
        return [rng.choice(words["subject"])] + middle + [rng.choice(words["verb"])]

    if n_words >= 7 and rng.random() < 0.35:
        first = rng.randint(3, n_words - 4)
        return clause(first) + [rng.choice(words["conjunction"])] + clause(n_words - first - 1)
    return clause(n_words)


def header_lines(name):
    """The first two lines of the labelled file `name`: the mark of this script."""
    return [HEADER, "file " + name]


def labelled_file(rng, sentence, name):
    """The text of one labelled file for `sentence` (a list of Word)."""
    rate = math.exp(rng.gauss(0.0, 0.08))
    segments = [(SEPARATOR, rng.uniform(0.15, 0.40))]
    last_word = len(sentence) - 1
    for w_index, word in enumerate(sentence):
        if w_index > 0:
            if rng.random() < 0.75:
                segments.append((SEPARATOR, rng.uniform(0.002, 0.012)))
            else:
                segments.append((SEPARATOR, rng.uniform(0.06, 0.30)))
        for ch, d, in_last in zip(word.text, word.base, word.in_last):
            if w_index == last_word:
                d *= 1.30 if in_last else 1.05
            d *= rate * math.exp(rng.gauss(0.0, 0.12))
            segments.append((ch, max(d, 0.015)))
    segments.append((SEPARATOR, rng.uniform(0.20, 0.50)))

    lines = header_lines(name) + ["text " + " ".join(w.text for w in sentence),
                                  "colours %d" % COLOUR, "#"]
    end = 0.0
    for label, d in segments:
        end += d
        lines.append("%.5f %d %s" % (end, COLOUR, label))
    return "\n".join(lines) + "\n"


def triphones(label_string):
    """Every triphone that the analysis forms: one per position but the first and the last."""
    return [label_string[i - 1:i + 2] for i in range(1, len(label_string) - 1)]


def unseen_triphones(rng, seen, count):
    """`count` distinct triphones over the alphabet and the separator that are not in `seen`."""
    symbols = ALPHABET + SEPARATOR
    result = set()
    while len(result) < count:
        t = "".join(rng.choice(symbols) for _ in range(3))
        if t not in seen:
            result.add(t)
    return result


def written_by_script(path):
    """Whether the regular file `path` starts with the two header lines this
    script writes for a file of its name."""
    mark = "".join(line + "\n" for line in header_lines(os.path.basename(path))).encode()
    try:
        with open(path, "rb") as f:
            return f.read(len(mark)) == mark
    except OSError:
        return False


def remove_stale_files(corpus, written):
    """Removes the .lab files of the folder `corpus` and of its numbered
    subfolders (the --per-dir folders of any run) that an earlier run of this
    script wrote and whose paths are not in `written`, and a numbered subfolder
    that this leaves empty. Only regular files that carry the script's header
    go; other .lab entries (a user's files, symbolic links) stay.
    Returns (files removed, .lab files kept)."""
    def stale_in(folder):
        removed = kept = 0
        for name in sorted(os.listdir(folder)):
            path = os.path.join(folder, name)
            if not name.endswith(".lab") or os.path.normpath(path) in written:
                continue
            mode = os.lstat(path).st_mode
            if stat.S_ISREG(mode) and written_by_script(path):
                os.remove(path)
                removed += 1
            elif stat.S_ISREG(mode) or stat.S_ISLNK(mode):
                kept += 1
        return removed, kept

    if not os.path.isdir(corpus):
        return 0, 0
    removed, kept = stale_in(corpus)
    for name in sorted(os.listdir(corpus)):
        sub = os.path.join(corpus, name)
        if len(name) < 3 or not name.isdigit() or os.path.islink(sub) or not os.path.isdir(sub):
            continue
        here, others = stale_in(sub)
        removed += here
        kept += others
        if here and not os.listdir(sub):
            os.rmdir(sub)
    return removed, kept


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--out", default=os.path.dirname(os.path.abspath(__file__)),
                        help="output folder (default: the script's folder)")
    parser.add_argument("--files", type=int, default=300, help="number of labelled files")
    parser.add_argument("--min-words", type=int, default=3)
    parser.add_argument("--max-words", type=int, default=10)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--corpus-dir", default="corpus",
                        help="folder of the labelled files, relative to --out")
    parser.add_argument("--per-dir", type=int, default=0,
                        help="labelled files per subfolder (0: all in one folder)")
    parser.add_argument("--unseen", type=int, default=24,
                        help="triphones in hepsi.txt that never occur in the corpus")
    parser.add_argument("--list-size", type=int, default=0,
                        help="pad hepsi.txt with unseen triphones to this many entries "
                             "(0: corpus triphones, 'edi' and --unseen more)")
    args = parser.parse_args(argv)
    if args.files < 1 or not 1 <= args.min_words <= args.max_words:
        parser.error("need --files >= 1 and 1 <= --min-words <= --max-words")

    rng = random.Random(args.seed)
    words = build_words()
    digits = max(4, len(str(args.files - 1)))
    paths = []
    written = set()
    counts = {}
    for n in range(args.files):
        sentence = make_sentence(rng, words, rng.randint(args.min_words, args.max_words))
        label_string = SEPARATOR + SEPARATOR.join(w.text for w in sentence) + SEPARATOR
        for t in triphones(label_string):
            counts[t] = counts.get(t, 0) + 1
        name = "%0*d.lab" % (digits, n)
        if args.per_dir > 0:
            rel = os.path.join(args.corpus_dir, "%03d" % (n // args.per_dir), name)
        else:
            rel = os.path.join(args.corpus_dir, name)
        full = os.path.join(args.out, rel)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w", newline="\n") as f:
            f.write(labelled_file(rng, sentence, name))
        paths.append(rel)
        written.add(os.path.normpath(full))
    removed, kept = remove_stale_files(os.path.join(args.out, args.corpus_dir), written)

    with open(os.path.join(args.out, "labels.txt"), "w", newline="\n") as f:
        f.write("".join(p + "\n" for p in paths))

    listed = set(counts) | {"edi"}
    extra = max(args.unseen, args.list_size - len(listed))
    listed |= unseen_triphones(rng, listed, extra)
    with open(os.path.join(args.out, "hepsi.txt"), "w", newline="\n") as f:
        for t in sorted(listed):
            f.write("%s\n%d\n%s\n" % (t, counts.get(t, 0), CLASS_OF.get(t[1], "other")))
    print("make_corpus: %d files, %d triphones in the corpus, %d in hepsi.txt"
          % (args.files, len(counts), len(listed)), file=sys.stderr)
    if removed:
        print("make_corpus: removed %d .lab files of an earlier corpus" % removed, file=sys.stderr)
    if kept:
        print("make_corpus: kept %d .lab files in %s that this script did not write"
              % (kept, os.path.join(args.out, args.corpus_dir)), file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
