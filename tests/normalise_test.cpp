#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "text/sentence.h"

namespace segdur {
namespace {

using testing_support::capture_stdout;

// A sentence holding `text` unanalysed, so normalisation sees it as it stands.
Sentence unanalysed(const std::string& text) { return Sentence(text, "dont"); }

struct NormaliseRow {
  std::string before;
  std::string collapsed;
  std::string normalised;
};

const NormaliseRow kRows[] = {
    {"ZZelmaZZ", "ZelmaZ", "ZelmaZ"},
    {"elma", "Zelma", "Zelma"},
    {"", "Z", "Z"},
    {"ZZZ", "Z", "Z"},
    {"Zev.", "Zev.", "Zev.Z"},
    {"ZevZ.Z", "ZevZ.Z", "Zev.Z"},
    {"Zev.Z", "Zev.Z", "Zev.Z"},
    {"ZbirZ,ZikiZ", "ZbirZ,ZikiZ", "Zbir,ZikiZ"},
    {"Zbir,iki.", "Zbir,iki.", "Zbir,Ziki.Z"},
    {"Zne?Zev!", "Zne?Zev!", "Zne?Zev!Z"},
    {"benZgeldim.", "ZbenZgeldim.", "ZbenZgeldim.Z"},
    {"Za...", "Za...", "Za...Z"},
    {"Z.elmaZ", "Z.elmaZ", ".ZelmaZ"},
    {"ZevZ'dirZ", "ZevZ'dirZ", "ZevZ'dirZ"},
    {"Zev'deZ", "Zev'deZ", "ZevdeZ"},
    {"Zev'", "Zev'", "Zev"},
    {"Zab''cZ", "Zab''cZ", "Zab'cZ"},
};

TEST(Normalise, CollapseAndFullNormalisationOfTheReferenceTexts) {
  for (const NormaliseRow& row : kRows) {
    Sentence collapsed = unanalysed(row.before);
    EXPECT_TRUE(collapsed.collapse_separators_ok());
    EXPECT_EQ(collapsed.get_text(), row.collapsed) << "collapse of \"" << row.before << "\"";

    Sentence normalised = unanalysed(row.before);
    normalised.normalise_text();
    EXPECT_EQ(normalised.get_text(), row.normalised) << "normalisation of \"" << row.before << "\"";
  }
}

TEST(Normalise, MarksAndApostrophesAtTheEdgesOfTheText) {
  // A mark right after the leading separator loses it; the end of the text
  // gains a separator.
  Sentence s = unanalysed("?");
  s.normalise_text();
  EXPECT_EQ(s.get_text(), "?Z");

  // Without a character before it, a mark at position 0 keeps its place.
  s = unanalysed(".");
  s.attach_punctuation(".");
  EXPECT_EQ(s.get_text(), ".Z");

  // No character before an apostrophe reads as a letter, as does the end.
  s = unanalysed("'ab");
  s.normalise_punctuation();
  EXPECT_EQ(s.get_text(), "ab");
  s = unanalysed("'");
  s.normalise_punctuation();
  EXPECT_EQ(s.get_text(), "");

  // After collapsing, a lone apostrophe follows the separator and stays.
  s = unanalysed("'");
  s.normalise_text();
  EXPECT_EQ(s.get_text(), "Z'");

  // Only one separator before a mark is removed when the runs are kept.
  s = unanalysed("ZevZZ!");
  s.normalise_punctuation();
  EXPECT_EQ(s.get_text(), "ZevZ!Z");

  // Marks are treated one kind after the other: a run of mixed marks stays
  // unbroken only where a mark is treated after the one before it.
  s = unanalysed("Zne.?Z");
  s.normalise_text();
  EXPECT_EQ(s.get_text(), "Zne.?Z");
  s = unanalysed("Zne?!.Z");
  s.normalise_text();
  EXPECT_EQ(s.get_text(), "Zne?!Z.Z");

  // Other punctuation stays where it is; an empty mark changes nothing.
  s = unanalysed("ZevZ-Zdir");
  s.normalise_text();
  EXPECT_EQ(s.get_text(), "ZevZ-Zdir");
  s.attach_punctuation("");
  EXPECT_EQ(s.get_text(), "ZevZ-Zdir");
}

TEST(Normalise, BytesAboveAsciiPassThroughUnchanged) {
  Sentence s = unanalysed("g\xFC" "zel'\xE7.");
  s.normalise_text();
  EXPECT_EQ(s.get_text(), "Zg\xFCzel\xE7.Z");
}

TEST(CheckAlphabet, TextsInsideTheAlphabetPassSilently) {
  for (const std::string text : {"ZelmaZ", "Zev,Z", "ZabcCdefgGhIijklmnoOprsStuUvyzZ", "Z!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~Z",
                                 ""}) {
    Sentence s = unanalysed(text);
    bool result = false;
    EXPECT_EQ(capture_stdout([&] { result = s.check_alphabet(); }), "");
    EXPECT_TRUE(result) << text;
  }
}

TEST(CheckAlphabet, ReportsOnlyTheFirstForeignCharacter) {
  Sentence s = unanalysed("ZelmaxZqZ");
  bool result = true;
  std::string out = capture_stdout([&] { result = s.check_alphabet(); });
  EXPECT_FALSE(result);
  EXPECT_EQ(out,
            "\nerror, a character that is not in \"our\" alphabet exist in sentence\n"
            "ZelmaxZqZ\n"
            "at location 5 where character is x");
  EXPECT_EQ(s.get_text(), "ZelmaxZqZ");

  s = unanalysed("Zel\xE7" "aZ");
  out = capture_stdout([&] { result = s.check_alphabet(); });
  EXPECT_FALSE(result);
  EXPECT_EQ(out,
            "\nerror, a character that is not in \"our\" alphabet exist in sentence\n"
            "Zel\xE7" "aZ\n"
            "at location 3 where character is \xE7");
}

TEST(CheckAlphabet, DigitsSpaceAndOtherLettersAreOutside) {
  for (char c : std::string("0 9AEYwqx\t")) {
    Sentence s = unanalysed(std::string("Za") + c);
    bool result = true;
    std::string out = capture_stdout([&] { result = s.check_alphabet(); });
    EXPECT_FALSE(result) << "character code " << static_cast<int>(c);
    EXPECT_EQ(out, "\nerror, a character that is not in \"our\" alphabet exist in sentence\nZa" + std::string(1, c) +
                       "\nat location 2 where character is " + c);
  }
}

}  // namespace
}  // namespace segdur
